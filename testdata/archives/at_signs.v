head 1.2;
branch ;
access ;
symbols ;
locks ;
comment @@@ @;


1.2
date 97.07.07.07.07.07; author mail; state Exp;
branches ;
next 1.1;

1.1
date 97.07.06.07.07.07; author mail; state Exp;
branches ;
next ;


desc
@user@@example.com
@@@@
@


1.2
log
@fixed a@@b
@
text
@@@@@
@@
x@@y
@


1.1
log
@@@
@
text
@d1 1
a1 1
@@
@
