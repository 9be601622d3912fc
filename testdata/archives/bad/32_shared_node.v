head 1.3;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.3
date 95.01.01.00.00.00; author a; state Exp;
branches 1.1.1.1;
next 1.2;

1.2
date 95.01.01.00.00.00; author a; state Exp;
branches 1.1.1.1;
next 1.1;

1.1
date 95.01.01.00.00.00; author a; state Exp;
branches ;
next ;


desc
@@
