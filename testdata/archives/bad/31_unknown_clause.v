head ;
branch ;
access ;
expand @kv@;
symbols ;
locks ;
comment @# @;



desc
@@
