#pragma once

#include "app/frmMain.h"
#include "view/WaveEditor.h"
#include "support/LocaleEnv.h"
#include "support/WavImages.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The main window, shown and active, and a voicebank folder for it.
struct WindowEnv : LocaleEnv {
    WindowEnv() : window(std::make_unique<frmMain>(sett, locale, dialogs))
    {
        window->aplSett();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::setActiveWindow(window.get());
    }
    // Resizes the window so that its client area is w x h pixels.
    void resizeClient(int w, int h)
    {
        const QWidget *client = window->centralWidget();
        window->resize(w + window->width() - client->width(), h + window->height() - client->height());
        QApplication::processEvents();
    }
    // A UTF-8 bank, one noise wave of `samples` samples per {alias, file}.
    void writeBank(const QList<std::pair<QString, QString>> &aliasAndFile, const QString &params, int samples)
    {
        QString text = "#CHARSET:UTF8\r\n";
        for (const auto &[alias, file] : aliasAndFile) {
            text += file + "=" + alias + "," + params + "\r\n";
            bank.write(file, wavimg::wav(wavimg::noise(samples, 3000)));
        }
        bank.write("oto.ini", text.toUtf8());
    }
    // The same, opened from the menu.
    void openBank(const QList<std::pair<QString, QString>> &aliasAndFile, const QString &params, int samples)
    {
        writeBank(aliasAndFile, params, samples);
        window->setFolderChooser([this] { return std::optional<QString>(bank.path()); });
        child<QAction>("mnuOpen")->trigger();
    }
    template <class T = QWidget> T *child(const char *name) { return window->findChild<T *>(name); }
    WaveEditor &editor() { return window->waveEditor(); }
    QList<int> rowsItemData() const
    {
        QList<int> out;
        for (int r = 0; r < window->listModel().rowCount(); ++r)
            out << window->listModel().rowItemData(r);
        return out;
    }

    TempFolder bank;
    std::unique_ptr<frmMain> window;
};
