head ;
branch ;
access ;
symbols ;
locks ;
format octal;

desc
@@
