head 1.3;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.3
date 95.03.02.10.00.00; author bob; state Exp;
branches ;
next 1.2;

1.2
date 95.03.01.10.00.00; author bob; state Rel;
branches 1.2.1.1 1.2.2.1;
next 1.1;

1.1
date 95.02.28.09.30.00; author alice; state Exp;
branches ;
next ;

1.2.1.1
date 95.03.05.11.00.00; author carol; state Exp;
branches 1.2.1.1.1.1;
next 1.2.1.2;

1.2.1.2
date 95.03.06.11.00.00; author carol; state ;
branches ;
next ;

1.2.1.1.1.1
date 2001.01.01.00.00.01; author dave; state Exp;
branches ;
next ;

1.2.2.1
date 2001.02.03.04.05.06; author erin; state Exp;
branches ;
next ;


desc
@Branches two levels deep.
@


1.3
log
@third
@
text
@line one
line two
line three
@


1.2
log
@second
@
text
@d3 1
@


1.2.2.1
log
@other branch
@
text
@a2 1
erin's line
@


1.2.1.1
log
@branch start
@
text
@d1 1
a1 1
LINE ONE
@


1.2.1.1.1.1
log
@deep
@
text
@a1 1
deep line
@


1.2.1.2
log
@branch tip
@
text
@a2 1
tip
@


1.1
log
@Initial revision
@
text
@d2 1
@
