head 1.2;
branch 1.2.1;
access joe "Mary Ann" zed __Security_Object__Developers
       "__Security_Object__QA Team";
symbols v1:1.1 v1_fix:1.2.1.1;
locks joe:1.2 zed:1.2.1.1; strict;
comment @-- @;


1.2
date 2010.06.07.08.09.10; author joe; state Exp;
branches 1.2.1.1;
next 1.1;

1.1
date 2010.06.01.08.09.10; author joe; state Exp;
branches ;
next ;

1.2.1.1
date 2010.06.08.08.09.10; author zed; state Exp;
branches ;
next ;


desc
@Quoted names.
@


1.2
log
@two
@
text
@b
@


1.2.1.1
log
@branch
@
text
@a1 1
c
@


1.1
log
@Initial revision
@
text
@d1 1
a1 1
a
@
