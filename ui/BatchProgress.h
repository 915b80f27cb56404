// What a worker report means for its row: what the row's Status cell shows next. Plain
// values in and out, so the window only applies them.
#pragma once

#include <climits>
#include <cstdint>

#include "BatchReport.h"

namespace tarv {

struct RowUpdate {
    enum class Kind { Nothing, Bar, Done, Abort, Failed };

    bool startBar = false;  // the row's cell becomes a progress bar first
    Kind kind = Kind::Nothing;
    int value = 0;  // the bar's value, 0 to 99, for Kind::Bar
};

class BatchProgress {
public:
    // A new batch. The last value is forgotten, so the first report of every batch counts
    // whatever it carries.
    void StartBatch();

    // The id of the row whose Status cell shows a bar; 0 for none.
    uint64_t CurrentRow() const { return m_currentRow; }

    // A report of the worker about the row whose id is its key, with the row's length in
    // whole seconds (0 or less when unknown).
    RowUpdate OnReport(const BatchReport& report, int rowDuration);

private:
    // No report carries this, so nothing is mistaken for a repeat of it.
    static constexpr int kNoValue = INT_MIN;

    uint64_t m_currentRow = 0;
    int m_lastValue = kNoValue;
};

}  // namespace tarv
