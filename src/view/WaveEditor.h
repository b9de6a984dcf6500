#pragma once

#include "view/modGfx.h"
#include "view/ParamEdit.h"
#include "view/ViewWindow.h"
#include "wave/clsWave.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

namespace analysis {
class FeatureCache;
class WaveFeatures;
}
class clsOto;
class clsSett;
class Dialogs;
class modLocale;
class OtoDocument;
class PictureBox;
class QFrame;
struct F0Series;

// The wave editor: the current entry and its wave, the time window of the
// detail view, the display mode, the drawing of both views and what the
// mouse does in them. The main window owns one and tells it which entry is
// current; it follows the document (the current entry keeps its index when
// entries before it come or go, and there is none once it is removed) and
// commits its edits there. It needs the document, the two picture boxes and
// the overview's frame, not the window.
class WaveEditor : public QObject {
    Q_OBJECT
public:
    WaveEditor(OtoDocument &doc, const modLocale &locale, const clsSett &sett, Dialogs &dialogs, PictureBox &pic,
               PictureBox &picSm, QFrame &shpView, QObject *parent = nullptr);

    // The current entry's position in the collection (-1 for none), the
    // entry itself (not a copy) and its wave.
    int curIdx() const { return curIdx_; }
    const std::shared_ptr<clsOto> &curOto() const { return curOto_; }
    const clsWave &curwav() const { return curwav_; }
    const ViewWindow &view() const { return view_; }
    void setView(const ViewWindow &view);
    DisplayMode dispMode() const { return dispMode_; }
    // A redraw is running.
    bool drawing() const { return drawing_; }

    // The lock boxes' texts, asked for at each mouse edit.
    void setLockTexts(std::function<LockTexts()> locks) { locks_ = std::move(locks); }

    // A folder is open, an entry is current and its wave is loaded.
    bool isEditable() const;

    // Makes entry index current: reads its wave (a refused or missing wave is
    // reported), sets the window around the entry and redraws.
    void loadWave(int index);
    // No wave is shown until an entry is selected again.
    void forgetWave();

    // Both views and the overview frame; then viewsRedrawn.
    void redrawall();
    // The detail view alone.
    void refreshPicTry();

    // A release in the detail view at (x, y) pixels: the left button edits
    // the band's parameter, any other one switches the display mode.
    // button: 1 left, 2 right, 4 middle; shift: the ShiftMask sum.
    void pic_MouseUp(int button, int shift, double x, double y);
    // The overview: a press and moves with the left button zoom and pan.
    void picSm_MouseDown(int buttons, double x, double y);
    void picSm_MouseMove(int buttons, double x, double y);
    // Left and Right keys: a fifth of the window per press.
    void scroll(bool right);

    // The play cursor at ms in the current wave, over both views; hidden
    // for a negative time.
    void setPlayCursor(double ms);

    // The detail view's width and height in its mouse coordinates (pixels).
    double viewW() const;
    double viewH() const;

    // The spectrogram behind the detail view's markers (the trace in a strip
    // below it), and the analysis curves over it. Each redraws the detail
    // view when it changes.
    void setSpectrogram(bool on);
    bool spectrogram() const { return spectrogram_; }
    void setAnalysisCurves(bool on);
    bool analysisCurves() const { return curves_; }
    // Where the curves' features are kept and shared with the estimator;
    // without one there are no curves.
    void setFeatureCache(analysis::FeatureCache *cache) { featureCache_ = cache; }
    // The last estimate's flagged entries with where it put their points;
    // the current entry's are shown with the curves. An entry that is
    // removed drops out by itself.
    struct Flagged {
        std::weak_ptr<clsOto> entry;
        FlaggedEstimate estimate;
    };
    void setFlaggedEstimates(std::vector<Flagged> flagged);
    // The curves' features of the current wave, computed on first use;
    // null when the curves are off or the wave is too long for them.
    std::shared_ptr<const analysis::WaveFeatures> curveFeatures();
    // The current entry's flagged estimate, or null.
    const FlaggedEstimate *currentEstimate() const;

    // The F0 and the loudness curves over the detail view, each switched
    // on and off; either redraws the detail view when it changes.
    void setPitchCurve(bool on);
    bool pitchCurve() const { return pitchCurve_; }
    void setLoudnessCurve(bool on);
    bool loudnessCurve() const { return loudnessCurve_; }
    // The tracker's pitch of the current wave, computed on first use, and
    // the F0 of its frequency file (NAME_wav.frq) when there is a readable
    // one; null when neither curve is on or there is no wave.
    const F0Series *pitchSeries();
    const F0Series *frqSeries();
    // Reads the frequency file again (after it was written) and redraws.
    void reloadFrq();
    // What the pitch is at x pixels in the detail view: F0 in Hz with its
    // note and cents, the loudness, the frequency file's F0; empty when
    // the curves are off or x is outside the wave.
    QString pitchAt(double x);

signals:
    // Both views were drawn again: the boxes show the current entry anew.
    void viewsRedrawn();
    // The current entry was changed by the mouse.
    void entryEdited();
    // The mouse moved over the detail view: pitchAt there (maybe empty).
    void pitchHovered(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The current wave's features (with its pitch track) from the shared
    // cache, computed on first use; null without a cache or for a long wave.
    std::shared_ptr<const analysis::WaveFeatures> waveFeatures();
    // Shows or hides one layer of the picture, redrawing when it changed.
    void setLayer(bool &layer, bool on);
    void drawViews();
    void placeViewFrame();
    void drawDetail();
    void drawOverview();

    OtoDocument &doc_;
    const clsSett &sett_;
    Dialogs &dialogs_;
    PictureBox &pic_;
    PictureBox &picSm_;
    QFrame &shpView_;
    std::function<LockTexts()> locks_;

    int curIdx_ = 0;
    std::shared_ptr<clsOto> curOto_;
    clsWave curwav_;
    ViewWindow view_;
    DisplayMode dispMode_ = DisplayMode::Normal;
    bool spectrogram_ = false;
    bool curves_ = false;
    analysis::FeatureCache *featureCache_ = nullptr;
    quint64 featuresOf_ = 0;  // the wave generation curveFeatures_ belong to
    std::shared_ptr<const analysis::WaveFeatures> curveFeatures_;
    std::vector<Flagged> flagged_;
    bool pitchCurve_ = false;
    bool loudnessCurve_ = false;
    quint64 pitchOf_ = 0;  // the wave generation pitch_ and frqPitch_ belong to
    std::shared_ptr<const F0Series> pitch_;
    std::shared_ptr<const F0Series> frqPitch_;
    bool drawing_ = false;
    // A redraw asked for while one runs; it runs right after.
    bool redrawPending_ = false;
    OverviewDrag drag_;
};
