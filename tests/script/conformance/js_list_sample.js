// The console's sample, as people adapt it: one line per entry.
function listoto() {
	var clc = env.clcoto;
	var lines = [];
	for (var i = 0; i < clc.count(); i++) {
		var o = clc.item(i + 1);
		lines.push([o.als, o.fil, [o.prmlf, o.prmrt, o.prmpr, o.prmfx, o.prmov].join(" ")].join("\t"));
	}
	trace(lines.join("\r\n"));
}
listoto();
