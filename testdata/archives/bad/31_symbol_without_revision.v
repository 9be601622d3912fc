head ;
branch ;
access ;
symbols v1:;
locks ;

desc
@@
