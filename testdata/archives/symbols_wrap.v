head 1.2;
branch ;
access ;
symbols alpha:1.1 beta_release:1.2 gamma_release_candidate:1.2 delta_x:1.1
        epsilon:1.2 a_very_long_label_name_that_keeps_going_and_going_on:1.1 s7_label:1.2
        s8:1.1;
locks ;
comment @# @;


1.2
date 99.12.31.23.59.59; author joe; state Exp;
branches ;
next 1.1;

1.1
date 99.12.30.23.59.59; author joe; state Exp;
branches ;
next ;


desc
@@


1.2
log
@@
text
@x
@


1.1
log
@Initial revision
@
text
@d1 1
@
