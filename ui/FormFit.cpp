#include "FormFit.h"

#include <algorithm>
#include <map>

namespace tarv {

namespace {

using Role = FitItem::Role;

bool SameLine(const wxRect& a, const wxRect& b) {
    const int middle = a.y + a.height / 2;
    return middle >= b.y && middle <= b.GetBottom();
}

bool Overlap(const wxRect& a, const wxRect& b) {
    return a.y <= b.GetBottom() && b.y <= a.GetBottom();
}

// The field a label names: the nearest one to its right on its line.
int FieldOf(const std::vector<FitItem>& items, size_t label) {
    const wxRect& own = items[label].rect;
    int found = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        const wxRect& field = items[i].rect;
        if (items[i].role != Role::Field || field.x < own.GetRight() || !SameLine(own, field)) {
            continue;
        }
        if (found < 0 || field.x < items[found].rect.x) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

// The leftmost place a label may start at: clear of whatever stands before it on its line, and
// inside the group box that holds it.
int LeftLimit(const std::vector<FitItem>& items, size_t label, int margin) {
    const wxRect& own = items[label].rect;
    int limit = std::min(own.x, margin);
    for (size_t i = 0; i < items.size(); ++i) {
        const wxRect& other = items[i].rect;
        if (i == label) {
            continue;
        }
        if (items[i].role == Role::Box) {
            if (other.Contains(own)) {
                limit = std::max(limit, other.x + margin);
            }
        } else if (other.GetRight() < own.x && Overlap(own, other)) {
            limit = std::max(limit, other.GetRight() + 1 + margin);
        }
    }
    return limit;
}

void FitLabels(std::vector<FitItem>& items, int margin) {
    struct Pair {
        size_t label;
        size_t field;
        int gap;  // the template's room between the two
        int limit;
    };
    // Fields of one column (the same left edge) move together, so the column stays straight.
    std::map<int, std::vector<Pair>> columns;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].role != Role::Label) {
            continue;
        }
        const int field = FieldOf(items, i);
        if (field < 0) {
            items[i].rect.width = std::max(items[i].rect.width, items[i].need);
            continue;
        }
        const wxRect& own = items[i].rect;
        const int gap = std::max(items[field].rect.x - (own.x + own.width), 0);
        columns[items[field].rect.x].push_back(
            {i, static_cast<size_t>(field), gap, LeftLimit(items, i, margin)});
    }
    for (auto& [x, pairs] : columns) {
        int shift = 0;
        for (const Pair& pair : pairs) {
            const int left = x - pair.gap - items[pair.label].need;
            shift = std::max(shift, pair.limit - left);
        }
        if (shift > 0) {
            for (const Pair& pair : pairs) {
                wxRect& field = items[pair.field].rect;
                field.x += shift;
                field.width -= shift;
            }
        }
        for (const Pair& pair : pairs) {
            wxRect& label = items[pair.label].rect;
            const int right = items[pair.field].rect.x - pair.gap;
            const int need = items[pair.label].need;
            if (label.x + need <= right) {
                label.width = std::max(label.width, need);  // fits where it is
            } else {
                label.x = std::max(pair.limit, right - need);
                label.width = right - label.x;
            }
        }
    }
}

void FitButtons(std::vector<FitItem>& items) {
    std::vector<size_t> buttons;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].role == Role::Button) {
            buttons.push_back(i);
        }
    }
    // From the right: a button that grows pushes those on its left further left.
    std::sort(buttons.begin(), buttons.end(),
              [&items](size_t a, size_t b) { return items[a].rect.x > items[b].rect.x; });
    std::vector<bool> done(items.size(), false);
    for (size_t first : buttons) {
        if (done[first]) {
            continue;
        }
        int pushed = 0;
        int leftmost = items[first].rect.x;
        for (size_t i : buttons) {
            wxRect& button = items[i].rect;
            if (done[i] || !Overlap(button, items[first].rect)) {
                continue;
            }
            done[i] = true;
            button.x -= pushed;
            const int grow = std::max(items[i].need - button.width, 0);
            button.x -= grow;
            button.width += grow;
            pushed += grow;
            leftmost = std::min(leftmost, button.x + pushed);
        }
        if (pushed == 0) {
            continue;
        }
        // The field before the buttons gives up what they took.
        int field = -1;
        for (size_t i = 0; i < items.size(); ++i) {
            const wxRect& rect = items[i].rect;
            if (items[i].role == Role::Field && rect.GetRight() < leftmost &&
                SameLine(rect, items[first].rect) && (field < 0 || rect.x > items[field].rect.x)) {
                field = static_cast<int>(i);
            }
        }
        if (field >= 0) {
            items[field].rect.width -= pushed;
        }
    }
}

}  // namespace

void FitTexts(std::vector<FitItem>& items, int margin) {
    FitButtons(items);
    FitLabels(items, margin);
}

}  // namespace tarv
