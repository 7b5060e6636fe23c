// replaced by the intake routines
