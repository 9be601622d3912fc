head ;
branch ;
access "Mary Ann