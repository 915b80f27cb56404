// What a worker report means for the conversion list: which row it concerns and what that
// row's Status cell shows next. Plain values in and out, so the window only applies them.
#pragma once

#include <climits>
#include <vector>

#include "StepCommands.h"

namespace tarv {

struct RowUpdate {
    enum class Kind { Nothing, Bar, Done, Abort, Failed };

    int row = -1;           // -1: the report belongs to no row
    bool startBar = false;  // the row's cell becomes a progress bar first
    Kind kind = Kind::Nothing;
    int value = 0;  // the bar's value, 0 to 99, for Kind::Bar
};

// The entries of a batch, five per checked row, each mapped to the row it came from.
std::vector<int> EntryRowsOf(const std::vector<bool>& checkedRows);

class BatchProgress {
public:
    // A new batch, with the row of each of its entries. The last value is forgotten, so the
    // first report of every batch counts whatever it carries.
    void StartBatch(std::vector<int> entryRows);

    // The row an entry came from; -1 outside the batch.
    int RowOfEntry(int entry) const;
    // The row whose Status cell shows a bar; -1 for none.
    int CurrentRow() const { return m_currentRow; }

    // A report of the worker, with the step that produced it and the row's length in whole
    // seconds (0 or less when unknown).
    RowUpdate OnReport(int entry, int value, StepType step, int rowDuration);

private:
    // No report carries this, so nothing is mistaken for a repeat of it.
    static constexpr int kNoValue = INT_MIN;

    std::vector<int> m_entryRows;
    int m_currentRow = -1;
    int m_lastValue = kNoValue;
};

}  // namespace tarv
