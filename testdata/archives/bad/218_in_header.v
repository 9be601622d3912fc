head 1.1;
branch