head 1.2;
branch ;
access ;
symbols ;
locks ;
comment @# @;
expand @kv@;
owner alice "Mary Ann" : 1.2 @a@@b
c@;


1.2
date 2021.03.04.05.06.07; author alice; state Exp;
branches ;
next 1.1;
next 1.1;
commitid 10054A8E6F4C4E8A;

1.1
date 2021.03.04.05.06.00; author alice; state Exp;
branches ;
next ;
commitid 10054A8E6F4C4E89;
mergepoint1 1.0.2.1 : x;


desc
@Phrases of other tools of the family.
@


1.2
log
@second
@
checksum @abc@@@;
text
@one
2
@


1.1
log
@Initial revision
@
text
@d2 1
@
