// What trace writes for the values people pass it.
trace(1, 2.5, -0.125, 1e21, true, false, "text");
trace([1, 2, [3, 4]], ["a", "b"].join("-"));
tracenl("no line end;");
tracenl(" still the same line");
trace();
trace("", undefined, "after empties");
trace(clcOto(1).ALS + "\t" + clcOto(1).prmLF);
