// The rules of the report list (CReportCtrl) without the widget: rows with
// their texts, state flags, user data and per-cell colours, the three
// check-box behaviours, queries by state flags and row moves. CReportCtrl
// keeps its QTreeWidget in step with this state.
//
// Thread safety: UI thread only, like the list it serves.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velkarn {

// State flags: a query matches a row that has every requested flag.
enum ReportState : unsigned {
    kRsAny = 1,
    kRsSelected = 2,
    kRsUnselected = 4,
    kRsChecked = 8,
    kRsUnchecked = 16,
    kRsFocused = 32,
    kRsUnfocused = 64,
};

enum ReportCheckStyle : int {
    kCheckNone = 0,
    kCheckNormal = 1,
    kCheckSingle = 2,   // at most one row checked
    kCheckReadOnly = 3, // the user cannot change the boxes
};

constexpr int32_t kDefaultCellColour = -1; // the system's window colour

struct ReportRow {
    std::vector<std::string> texts;
    std::vector<int32_t> colours;
    uintptr_t data = 0;
    bool selected = false;
    bool checked = false;
    bool focused = false;
};

class ReportListState {
public:
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    int ColumnCount() const { return m_columns; }
    const ReportRow& Row(int row) const { return m_rows.at(static_cast<size_t>(row)); }
    ReportRow& Row(int row) { return m_rows.at(static_cast<size_t>(row)); }
    bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }

    int CheckStyle() const { return m_checkStyle; }
    // Style 2 unchecks every row.
    void SetCheckStyle(int style);

    void InsertColumn(int index);
    // Index of the new row (index clamped to 0..RowCount()).
    int InsertItem(int index, std::string text);
    bool SetItemText(int row, int column, std::string text);
    // With selectNext the row after it, or the one before when it was the
    // last, becomes the only selected row.
    bool DeleteItem(int row, bool selectNext);
    int DeleteItems(unsigned states);

    bool Matches(int row, unsigned states) const;
    int GetItemCount(unsigned states) const;
    int GetFirstItem(unsigned states, int after) const;
    // Applies the set meanings of the flags; false when a flag could not be applied.
    bool SetItemStates(int row, unsigned states);

    // Row -1 or out of range: every row; column out of range: every column.
    void SetItemBkColor(int row, int column, int32_t colour);

    // Moves a row to target (clamped); returns the row's new index, or -1 for a bad row.
    int MoveTo(int row, int target);
    int MoveUp(int row, int n) { return MoveTo(row, row - n); }
    int MoveDown(int row, int n) { return MoveTo(row, row + n); }
    int MoveToTop(int row) { return MoveTo(row, 0); }
    int MoveToBottom(int row) { return MoveTo(row, RowCount() - 1); }

    // The user clicked a row's check box, asking for wantChecked. Returns true
    // when the change stands and the parent must be told (0xA710).
    bool UserToggledCheck(int row, bool wantChecked);

    // Called with the row after any row's check state was set.
    std::function<void(int row)> onCheckChanged;

private:
    void SetChecked(int row, bool checked);
    // Unchecks every checked row other than row (each reported), for the
    // single-check style.
    void UncheckAllBut(int row);

    std::vector<ReportRow> m_rows;
    int m_columns = 0;
    int m_checkStyle = kCheckNone;
};

} // namespace velkarn
