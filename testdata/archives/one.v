head 1.1;
branch ;
access ;
symbols ;
locks ; strict;
comment @# @;
format text;


1.1
date 2003.04.05.06.07.08; author alice; state Exp;
branches ;
next ;


desc
@Initial description.
@


1.1
log
@Initial revision
@
text
@hello
world
@
