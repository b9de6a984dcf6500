sub listoto
	dim i, clc, arr, ni
	set clc = env.clcoto
	redim arr(clc.count - 1)
	ni = 0
	' it's also ok to use clc(ni), clc.item(ni), but slower.
	for each i in clc
		arr(ni) = i.als & vbTab & i.fil & vbTab & join(array(i.prmlf, i.prmrt, i.prmpr, i.prmfx, i.prmov), " ")
		ni = ni + 1
	next
	trace join(arr, vbCrLf)
end sub
listoto
