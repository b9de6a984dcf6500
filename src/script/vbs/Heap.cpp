#include "script/vbs/Heap.h"

#include <vector>

namespace script::vbs {

HeapObject::HeapObject(std::shared_ptr<Heap> heap) : heap_(std::move(heap))
{
    if (heap_)
        heap_->link(this);
}

HeapObject::~HeapObject()
{
    if (heap_)
        heap_->unlink(this);
}

Runtime *HeapObject::runtime() const
{
    return heap_ ? heap_->runtime() : nullptr;
}

void Heap::link(HeapObject *o)
{
    o->next_ = first_;
    if (first_)
        first_->prev_ = o;
    first_ = o;
    ++size_;
}

void Heap::unlink(HeapObject *o)
{
    Q_ASSERT(size_ > 0);
    if (o->prev_)
        o->prev_->next_ = o->next_;
    else
        first_ = o->next_;
    if (o->next_)
        o->next_->prev_ = o->prev_;
    o->prev_ = o->next_ = nullptr;
    --size_;
}

void Heap::close()
{
    runtime_ = nullptr;
    // Hold every object while emptying them, so that none dies (and unlinks
    // itself) in the middle of the walk; dropping the holds then frees each
    // one nothing outside the heap still references.
    std::vector<ObjectRef> held;
    held.reserve(size_t(size_));
    for (HeapObject *o = first_; o; o = o->next_)
        if (ObjectRef ref = o->weak_from_this().lock())
            held.push_back(std::move(ref));
    for (const ObjectRef &ref : held)
        static_cast<HeapObject &>(*ref).dropValues();
}

}  // namespace script::vbs
