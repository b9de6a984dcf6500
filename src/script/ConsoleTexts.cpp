#include "script/ConsoleTexts.h"

#include <QStringList>

namespace script {

namespace {

QString lines(const QStringList &l)
{
    return l.join(QStringLiteral("\r\n"));
}

}  // namespace

QString defaultScript()
{
    return lines({
               QStringLiteral("'';vbmsgbox('welcome to Lirro JScript');"),
               QStringLiteral("'\\"),
               QStringLiteral("msgbox \"welcome to Lirra VBScript!\"';"),
               QString(),
               QStringLiteral("'';//Put your code into this box, then press GO button to run."),
               QStringLiteral("'';//将程序代码放入此框，然后点GO按钮执行。"),
               QStringLiteral("'';//將程式碼放入此框，然後點GO按鈕執行。"),
               QStringLiteral("'';//このボックスにコードを配置し、実行するためにGOボタンを押してください。"),
           })
           + QStringLiteral("\r\n\r\n");
}

QString sampleScript(bool javaScript)
{
    if (javaScript)
        return lines({
            QStringLiteral("function listoto(){"),
            QStringLiteral("\tvar clc = env.clcoto;"),
            QStringLiteral("\tvar lines = [];"),
            QStringLiteral("\t// the collection object seems to be a linked list, so this way might be slow."),
            QStringLiteral("\t// but i can't figure out how to use foreach with it."),
            QStringLiteral("\tfor (var i = 0; i < clc.count(); i++) {"),
            QStringLiteral("\t\tvar o = clc.item(i + 1);"),
            QStringLiteral("\t\tlines.push([o.als, o.fil, [o.prmlf, o.prmrt, o.prmpr, o.prmfx, o.prmov].join(\" \")].join(\"\\t\"));"),
            QStringLiteral("\t}"),
            QStringLiteral("\ttrace(lines.join(\"\\r\\n\"));"),
            QStringLiteral("}"),
            QStringLiteral("listoto();"),
        });
    return lines({
        QStringLiteral("sub listoto"),
        QStringLiteral("\tdim i, clc, arr, ni"),
        QStringLiteral("\tset clc = env.clcoto"),
        QStringLiteral("\tredim arr(clc.count() - 1)"),
        QStringLiteral("\t' it's also ok to use clc(ni), clc.item(ni), but slower."),
        QStringLiteral("\tni = 0"),
        QStringLiteral("\tfor each i in clc"),
        QStringLiteral("\t\tarr(ni) = i.als & vbTab & i.fil & vbTab & join(array(i.prmlf, i.prmrt, i.prmpr, i.prmfx, i.prmov), \" \")"),
        QStringLiteral("\t\tni = ni + 1"),
        QStringLiteral("\tnext"),
        QStringLiteral("\ttrace join(arr, vbCrLf)"),
        QStringLiteral("end sub"),
        QStringLiteral("listoto"),
    });
}

QString helpText()
{
    // Lines separated by "\n" and indented with "\t", both written as two
    // characters, then turned into comment lines of both languages.
    const QString source = QStringLiteral(
        "env: Oto editor form, the main window (a form).\\n"
        "\\t.curoto: currently selected oto. Class clsOto.\\n"
        "\\t\\t.prmLF .prmFX .prmRT .prmPR .prmOV: Double number.\\n"
        "\\t\\t.FIL .ALS: String. all UTF-16, transcoded during oto.ini I/O.\\n"
        "\\t\\tthey are all public. modifying them doesn't make UI update.\\n"
        "\\t.clcoto(id+1): all oto items, a collection. ***[1,n]***\\n"
        "\\t.curwav: currently loaded wave file. Class clsWave.\\n"
        "\\t\\t.valid .samplerate .length .lengthms\\n"
        "\\t\\t.range: approximate peak (1/1000 of all samples are ABOVE it)\\n"
        "\\t\\t.getdata(), .getwave(): returns an Integer Array / Variant Array.\\n"
        "\\t\\t\\tyou have to use sample(arr, n) to read one sample.\\n"
        "\\t\\t\\tonly with vbs+getwave() can you index the array by array(id).\\n"
        "\\t.lstoto: the entry list, a list box.\\n"
        "\\t\\t.listindex: item selected, modifying it loads crspd. wave. [0,n-1]\\n"
        "\\t\\t.listdata(n): id in clcoto(id+1) (used after searching) [0,n-1]\\n"
        "\\t\\t.listcount .listdata(id)\\n"
        "\\t.pic .picsm: waveform boxes, picture boxes.\\n"
        "\\t.cmdplay .cmdjump(0 to 1) .txtsearch .txtprm(0 to 4) .txtlock(0 to 3)\\n"
        "spt: Script editor form, this console (a form).\\n"
        "\\ttrace / tracenl / teacecls: output some text.\\n"
        "\\tsample(array,index): used for picking samples in a wave array.\\n"
        "\\tyield: keep the UI responding; but slows down your speed if too much.\\n"
        "\\tisstop: set to true by \"Stop\" button, check it when busy.\\n"
        "\\tnewobj(strclassname): create an internal object. note that set xx=.\\n"
        "\\t\\tcurrently supported: \"clswto\", \"clswave\".\\n"
        "\\tvbmsgbox / vbinputbox: for jscript.\\n"
        "text boxes show their text in the UI charset, while strings are UTF-16:\\n"
        "\\tthey're converted when get/let.\\n"
        "\\ttextbox.charset has been set in menu - Settings - UI charset.\\n"
        "\\tuse settext(textbox, string) to avoid Change event.\\n"
        "\\ttextbox.selstart works wrong when it contains >32k text.\\n"
        "ensure you pass String/Number/JS-Array argument to trace/vbmsgbox/vbinputbox.\\n"
        "\\tarrays of the host and arrays of the script languages are not the same: take care.\\n"
        "making change on the UI and using \"trace\" too often makes it extremely slow.\\n"
        "\\tyou may choose to join them into a big string before outputting.\\n");
    QString converted = source;
    converted.replace(QStringLiteral("\\n"), QStringLiteral("\r\n'';//"));
    converted.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    return QStringLiteral("'';//") + converted + QStringLiteral("\r\n");
}

}  // namespace script
