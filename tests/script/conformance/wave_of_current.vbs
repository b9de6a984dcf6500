' The current entry's wave.
trace curwav.Valid, curwav.Samplerate, curwav.Length, curwav.LengthMs, curIdx, UBound(curwav.getWave()) + 1 = curwav.Length
