ArchId, UserId
3, "alice"
3, "bob"
