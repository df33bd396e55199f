#include "framework/MessageBoxAnswerer.h"
#include <atomic>

namespace {
std::atomic<MessageBoxAnswerer*> g_answerer{nullptr};
}

void MessageBoxAnswerer::Install(MessageBoxAnswerer* answerer) { g_answerer = answerer; }
MessageBoxAnswerer* MessageBoxAnswerer::Installed() { return g_answerer; }
