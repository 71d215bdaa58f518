#include "gui/intents.h"

#include <utility>

// One queue for the one GUI thread.
static std::vector<MenuIntent> pending;

void reportIntent(IntentKind kind, const std::string& text) { pending.push_back(MenuIntent{kind, text}); }

std::vector<MenuIntent> takeIntents()
{
    std::vector<MenuIntent> taken;
    taken.swap(pending);
    return taken;
}
