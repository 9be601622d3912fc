head	1.3;
access;
symbols
	rel1:1.2;
locks
	alice:1.2.1.2; strict;
comment	@# @;
expand	@k@;


1.3
date	2021.01.04.03.04.05;	author bob;	state Exp;
branches;
next	1.2;

1.2
date	2021.01.03.03.04.05;	author alice;	state Exp;
branches
	1.2.1.1;
next	1.1;

1.1
date	2021.01.02.03.04.05;	author alice;	state Exp;
branches;
next	;

1.2.1.1
date	2021.02.01.00.00.00;	author carol;	state Exp;
branches;
next	1.2.1.2;

1.2.1.2
date	2021.02.02.00.00.00;	author carol;	state Exp;
branches;
next	;


desc
@Keywords, '@@' and a branch.
@


1.3
log
@third
@
text
@first line
$Id$
$Revision$
second @@@@ line
third
@


1.2
log
@second: a@@b
@
text
@a2 1
mail: a@@b
d5 1
@


1.2.1.1
log
@on a branch
@
text
@d5 1
a5 1
branch @@ one
@


1.2.1.2
log
@branch again
@
text
@d3 3
a5 2
$Author$
branch @@ two
@


1.1
log
@Initial revision
@
text
@d4 2
@
