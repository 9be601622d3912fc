head 1.2;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.2
date 2021.03.04.05.06.07; author alice; state Exp;
branches ;
next 1.1;

1.1
date 2021.03.04.05.06.00; author alice; state Exp;
branches ;
next ;


desc
@@


1.2
log
@second
@
text
@one
2@x
three
four
@


1.1
log
@Initial revision
@
text
@d2 1
a2 1
two
@
