#include "tests/ui/message_icon.h"

#include <cstdint>
#include <limits>

#include "tests/ui/bitmap.h"

namespace ambrel_test {

namespace {

// The id of a message box's icon control under Wine.
constexpr LONG_PTR IconControlId = 0x0440;

struct Candidate {
    MessageIcon icon;
    WORD resource;
};

const Candidate Candidates[] = {
    {MessageIcon::Error, 32513},        // IDI_HAND
    {MessageIcon::Warning, 32515},      // IDI_EXCLAMATION
    {MessageIcon::Information, 32516},  // IDI_ASTERISK
    {MessageIcon::Question, 32514},     // IDI_QUESTION
};

HWND IconControl(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongPtrW(child, GWLP_ID) == IconControlId) return child;
    }
    return nullptr;
}

// One look at the screen: the best matching icon, or Unknown while nothing
// matches closely (the box may not be painted yet).
MessageIcon MatchOnce(const RECT& onScreen) {
    const int width = onScreen.right - onScreen.left;
    const int height = onScreen.bottom - onScreen.top;
    Bitmap shown(width, height);
    if (!shown.Valid()) return MessageIcon::Unknown;
    shown.CopyFromScreen(onScreen.left, onScreen.top);

    // The icons' corners are transparent: there the background shows.
    const std::uint32_t background = shown.At(0, 0);
    MessageIcon best = MessageIcon::Unknown;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const Candidate& candidate : Candidates) {
        Bitmap drawn(width, height);
        if (!drawn.Valid()) return MessageIcon::Unknown;
        drawn.Fill(background);
        HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(candidate.resource));
        DrawIconEx(drawn.Dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
        long long distance = shown.DistanceTo(drawn);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate.icon;
        }
    }
    // Drawn by the same code over the same background the pixels agree; a
    // mean of 1 per channel leaves room for rounding, while the two closest
    // standard icons (information and question) differ by about 5.
    return bestDistance <= 3LL * width * height ? best : MessageIcon::Unknown;
}

}  // namespace

const char* NameOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return "none";
    case MessageIcon::Error: return "error";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Information: return "information";
    case MessageIcon::Question: return "question";
    case MessageIcon::Unknown: return "unknown";
    }
    return "?";
}

MessageIcon IdentifyMessageIcon(HWND box) {
    HWND control = IconControl(box);
    if (control == nullptr || !IsWindowVisible(control)) return MessageIcon::None;
    MessageIcon icon = MessageIcon::Unknown;
    for (int attempt = 0; attempt < 40 && icon == MessageIcon::Unknown; ++attempt) {
        if (attempt > 0) Sleep(50);
        RECT rect;
        GetWindowRect(control, &rect);
        icon = MatchOnce(rect);
    }
    return icon;
}

}  // namespace ambrel_test
