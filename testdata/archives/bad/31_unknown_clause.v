head ;
branch ;
access ;
symbols ;
locks ;
comment @# @;
expand @kv@;



desc
@@
