ArchId, UserId
4, "alice"
4, "bob"
