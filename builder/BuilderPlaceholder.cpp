// replaced by the office bridge
