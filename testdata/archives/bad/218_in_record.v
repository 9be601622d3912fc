head 1.1;
branch ;
access ;
symbols ;
locks ;
comment @# @;


1.1
date