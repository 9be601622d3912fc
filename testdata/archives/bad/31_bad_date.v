head 1.1;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.1
date 1995-01-01; author a; state Exp;
branches ;
next ;


desc
@@
