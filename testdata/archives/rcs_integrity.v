head	1.3;
access;
symbols;
locks; strict;
integrity @@;
comment	@# @;


1.3
date	2023.03.06.05.06.07;	author bob;	state Exp;
branches;
next	1.2;

1.2
date	2023.03.05.05.06.07;	author bob;	state Exp;
branches;
next	1.1;

1.1
date	2023.03.04.05.06.07;	author alice;	state Exp;
branches;
next	;


desc
@An integrity phrase before the comment.
@


1.3
log
@third
@
text
@zero
$Revision$
two @@ at
three
@


1.2
log
@second
@
text
@d1 1
a1 1
one
d4 1
@


1.1
log
@Initial revision
@
text
@d3 1
@
