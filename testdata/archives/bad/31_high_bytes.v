€‚ head ;
