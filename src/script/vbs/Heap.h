#pragma once

#include "script/HostObject.h"

namespace script::vbs {

class Heap;
class Runtime;

// An object a script made that holds values of its own: a Dictionary or an
// instance of a class written in the script. It belongs to the heap of the
// runtime that made it for as long as it lives.
class HeapObject : public HostObject {
public:
    explicit HeapObject(std::shared_ptr<Heap> heap);
    ~HeapObject() override;
    HeapObject(const HeapObject &) = delete;
    HeapObject &operator=(const HeapObject &) = delete;

    // Drops every value the object holds (the heap breaking cycles).
    virtual void dropValues() = 0;

protected:
    // The runtime that made the object; nullptr once it is gone.
    Runtime *runtime() const;

private:
    friend class Heap;
    std::shared_ptr<Heap> heap_;
    HeapObject *prev_ = nullptr;
    HeapObject *next_ = nullptr;
};

// Every object of one runtime that can hold values. Reference counting frees
// what a script lets go of, except objects that refer to each other in a
// cycle (a dictionary used as its own key, two instances pointing at each
// other, an array holding its own dictionary). When the runtime goes, the
// heap empties every object still alive, which breaks those cycles: a run
// leaves nothing behind, however its objects were linked.
//
// Class_Terminate does not run for what the heap frees: the runtime that
// would run it is already gone (VBScript never terminates objects of a
// cycle either).
class Heap {
public:
    explicit Heap(Runtime &rt) : runtime_(&rt) {}
    Heap(const Heap &) = delete;
    Heap &operator=(const Heap &) = delete;

    Runtime *runtime() const { return runtime_; }
    qsizetype size() const { return size_; }
    // Forgets the runtime, then empties every object still alive.
    void close();

private:
    friend class HeapObject;
    void link(HeapObject *o);
    void unlink(HeapObject *o);

    Runtime *runtime_;
    HeapObject *first_ = nullptr;
    qsizetype size_ = 0;
};

}  // namespace script::vbs
