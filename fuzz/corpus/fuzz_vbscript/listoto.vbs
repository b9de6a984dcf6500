sub listoto
	dim i, clc, arr, ni
	set clc = env
	redim arr(clc.count - 1)
	ni = 0
	' it's also ok to use clc(ni), clc.item(ni), but slower.
	for each i in clc
		arr(ni) = i & vbTab & clc(i) & vbTab & join(array(i, i * 2, i / 3, -i, i ^ 2), " ")
		ni = ni + 1
	next
	trace join(arr, vbCrLf)
end sub
listoto
