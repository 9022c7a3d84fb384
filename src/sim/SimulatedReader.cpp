// replaced by the simulated reader
