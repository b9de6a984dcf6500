#pragma once

#include "script/Deadline.h"
#include "script/HostObject.h"

#include <QHash>
#include <functional>
#include <memory>

class clsOto;
class clsWave;
class Dialogs;
class OtoDocument;

// What scripts see of the open voicebank, written once over the live
// document and used by both `lirra-oto run` and the script console: the
// entries (clsOto), their collection (clcOto), waves (clsWave), `env` with
// the document's members, and the built-in functions (trace, Sample,
// newObj…). Nothing is copied for scripts: an entry object is the document's
// entry itself, so a script that changes curOto changes the document.
// Scripts can do no harm beyond the bank they run on: saveoto is the one
// member that writes a file, and only a regular file inside the voicebank's
// folder (isSafeSaveTarget).

namespace script {

// An entry: FIL, ALS and the five parameters. An entry of the document is
// written through the document (one step of the history, or part of the
// script run's step); one not in it yet (newObj("oto")) in place.
class EntryObject : public HostObject {
public:
    explicit EntryObject(std::shared_ptr<clsOto> entry, OtoDocument *doc = nullptr)
        : entry_(std::move(entry)), doc_(doc)
    {
    }
    const HostClass &hostClass() const override;
    const std::shared_ptr<clsOto> &entry() const { return entry_; }
    // The document the entry may be added to, and then belongs to.
    void attach(OtoDocument *doc) { doc_ = doc; }
    // Changes the entry's values, through the document when it holds it.
    template <class Change>
    void write(Change change)
    {
        clsOto values = *entry_;
        change(values);
        setValues(values);
    }

private:
    void setValues(const clsOto &values);
    std::shared_ptr<clsOto> entry_;
    OtoDocument *doc_;
};

// A wave: Valid, Samplerate, Length, LengthMs, Range, getData (a host
// Integer array, which VBScript cannot index) and getWave (a Variant array
// it can). It shows a wave someone else keeps (the current one) or one of
// its own (newObj("wave")).
class WaveObject : public HostObject {
public:
    explicit WaveObject(const clsWave *shown);
    WaveObject();  // an empty wave of its own
    const HostClass &hostClass() const override;
    const clsWave &wave() const { return *wave_; }

private:
    std::shared_ptr<clsWave> owned_;
    const clsWave *wave_;
};

// clcOto: positions 1 to n in file order; Count, Item (the default member),
// Add, Remove and For Each. Add and Remove go through the document, so the
// window's list and views stay in step with it.
class CollectionObject : public HostObject {
public:
    explicit CollectionObject(OtoDocument &doc) : doc_(doc) {}
    const HostClass &hostClass() const override;
    std::unique_ptr<Enumerator> enumerate() override;
    OtoDocument &document() const { return doc_; }

    // The one entry object of each entry, so that `clc(1) Is clc(1)`.
    Value entryObject(const std::shared_ptr<clsOto> &entry);
    // Makes object the one object of its entry, unless the entry has one.
    void adopt(const std::shared_ptr<EntryObject> &object);

private:
    OtoDocument &doc_;
    QHash<const clsOto *, std::weak_ptr<EntryObject>> objects_;
};

// Where env gets what the window (or the command line) keeps beside the
// document: the current entry's position and object, its wave and the
// search box's mode.
struct EnvState {
    std::function<int()> curIdx;
    std::function<std::shared_ptr<clsOto>()> curOto;
    std::function<const clsWave *()> curwav;
    std::function<qint16()> intSearchMode;
};

// env: clcOto, curOto, curIdx, curwav, wrkpath, intSearchMode and saveoto.
// The console's window adds its own members (the list, the views, the
// controls) in a class derived from this one, whose description starts with
// describe().
class EnvObject : public HostObject {
public:
    EnvObject(OtoDocument &doc, EnvState state);
    const HostClass &hostClass() const override;
    // The members above, into the class of env or of a class derived from it.
    static void describe(HostClass &cls);

    OtoDocument &document() const { return doc_; }
    const std::shared_ptr<CollectionObject> &collection() const { return clcOto_; }

private:
    OtoDocument &doc_;
    EnvState state_;
    std::shared_ptr<CollectionObject> clcOto_;
};

// Where the built-in functions write and what they ask: trace's output, a
// pass of the event loop for yield, the stop request for isStop, and the
// message and input boxes.
struct BuiltinHost {
    std::function<void(const QString &)> write;  // trace's text, "\r\n" included
    std::function<void()> clear;                 // tracecls
    std::function<void()> yieldOnce;
    std::function<bool()> isStop;
    Dialogs *dialogs = nullptr;
    // Time in a box does not count against the script's time-out.
    Deadline *deadline = nullptr;
};

// The built-in functions: trace, tracenl, tracecls, Sample, newObj,
// arraytest, yield, isStop, vbMsgBox, vbInputBox. The console's `spt`
// extends this class with its own controls.
class BuiltinsObject : public HostObject {
public:
    explicit BuiltinsObject(BuiltinHost host) : host_(std::move(host)) {}
    const HostClass &hostClass() const override;
    // The functions above, into this class or one derived from it.
    static void describe(HostClass &cls);
    const BuiltinHost &host() const { return host_; }

private:
    BuiltinHost host_;
};

// saveoto's rule: a plain file name inside the voicebank's folder; a name
// with a path separator, "..", or an absolute path is refused.
bool isPlainFileName(const QString &name);
// saveoto's whole rule, links resolved: a plain name that is a new file of
// the folder, a regular file in it, or a link that ends at a regular file
// inside the folder. A link leading out of the bank, a dangling link, a
// folder or a device is refused, as ".." is.
bool isSafeSaveTarget(const QString &folder, const QString &name);

}  // namespace script
