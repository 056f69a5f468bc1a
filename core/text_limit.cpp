#include "core/text_limit.h"

namespace {
thread_local std::uint64_t g_hits = 0;
}  // namespace

std::uint64_t textLimitHits() { return g_hits; }

void countTextLimitHit() { ++g_hits; }

TextLimitScope::~TextLimitScope() { g_hits = start_; }
