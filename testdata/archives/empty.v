head ;
branch ;
access ;
symbols ;
locks ;
comment @# @;



desc
@@
