head 1.2;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.2
date 95.01.01.00.00.00; author a; state Exp;
branches ;
next 1.1;

1.1
date 95.01.01.00.00.00; author a; state Exp;
branches ;
next ;


desc
@@


1.2
text
@x
@
