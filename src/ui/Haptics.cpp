// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Haptics.h"

namespace Haptics {
namespace {

std::function<void(Pattern)> &performer()
{
    static std::function<void(Pattern)> p;
    return p;
}

void perform(Pattern pattern)
{
    if (performer())
        performer()(pattern);
}

} // namespace

void levelChange()
{
    perform(Pattern::LevelChange);
}
void alignment()
{
    perform(Pattern::Alignment);
}
void setPerformer(std::function<void(Pattern)> p)
{
    performer() = std::move(p);
}

} // namespace Haptics
