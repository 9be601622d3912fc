head 1.1;
branch ;
access ;
symbols ;
locks ;
comment @# @;



desc
@@
