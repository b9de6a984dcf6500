#include "report/Problem.h"

namespace {

constexpr ProblemKindInfo kKinds[] = {
    {ProblemKind::DuplicateAlias, "duplicate-alias"},
    {ProblemKind::AliasSpaces, "alias-spaces"},
    {ProblemKind::MissingWave, "missing-wave"},
    {ProblemKind::WaveFormat, "wave-format"},
    {ProblemKind::CaseMismatch, "case-mismatch"},
    {ProblemKind::NfdName, "nfd-name"},
    {ProblemKind::OutOfRange, "out-of-range"},
    {ProblemKind::UnusedWave, "unused-wave"},
    {ProblemKind::MissingAlias, "missing-alias"},
};

}  // namespace

std::span<const ProblemKindInfo> problemKinds()
{
    return kKinds;
}

QString kindName(ProblemKind kind)
{
    for (const ProblemKindInfo &info : kKinds)
        if (info.kind == kind)
            return QString::fromLatin1(info.name);
    return {};
}

QString Problem::line() const
{
    // A TAB or line break inside a field would break the one-line format.
    auto clean = [](QString s) {
        s.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
        return s;
    };
    return kindName(kind) + u'\t' + clean(where) + u'\t' + clean(alias) + u'\t' + clean(detail);
}
