head	1.3;
access;
symbols;
locks; strict;
comment	@# @;


1.3
date	2022.05.08.07.08.09;	author erin;	state Exp;
branches;
next	1.2;
commitid	10054A8E6F4C4E81;

1.2
date	2022.05.07.07.08.09;	author dave;	state Exp;
branches;
next	1.1;
commitid	10054A8E6F4C4E82;

1.1
date	2022.05.06.07.08.09;	author dave;	state Exp;
branches;
next	;
commitid	10054A8E6F4C4E83;


desc
@Entries with commitid.
@


1.3
log
@change
@
text
@ALPHA
gamma
@


1.2
log
@add gamma
@
text
@d1 1
a1 2
alpha
beta
@


1.1
log
@Initial revision
@
text
@d3 1
@
