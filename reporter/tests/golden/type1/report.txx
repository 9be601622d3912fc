ArchId, UserId
