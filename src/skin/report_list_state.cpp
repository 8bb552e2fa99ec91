#include "skin/report_list_state.h"

#include <algorithm>

namespace velkarn {

void ReportListState::SetCheckStyle(int style) {
    m_checkStyle = style;
    if (style == kCheckSingle) {
        for (int row = 0; row < RowCount(); ++row) {
            if (m_rows[static_cast<size_t>(row)].checked) {
                SetChecked(row, false);
            }
        }
    }
}

void ReportListState::InsertColumn(int index) {
    index = std::clamp(index, 0, m_columns);
    ++m_columns;
    for (ReportRow& row : m_rows) {
        row.texts.insert(row.texts.begin() + index, std::string());
        row.colours.insert(row.colours.begin() + index, kDefaultCellColour);
    }
}

int ReportListState::InsertItem(int index, std::string text) {
    index = std::clamp(index, 0, RowCount());
    ReportRow row;
    row.texts.assign(static_cast<size_t>(std::max(m_columns, 1)), std::string());
    row.colours.assign(row.texts.size(), kDefaultCellColour);
    row.texts[0] = std::move(text);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    return index;
}

bool ReportListState::SetItemText(int row, int column, std::string text) {
    if (!ValidRow(row) || column < 0) {
        return false;
    }
    ReportRow& r = m_rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) >= r.texts.size()) {
        return false;
    }
    r.texts[static_cast<size_t>(column)] = std::move(text);
    return true;
}

bool ReportListState::DeleteItem(int row, bool selectNext) {
    if (!ValidRow(row)) {
        return false;
    }
    if (selectNext) {
        const int next = row + 1 < RowCount() ? row + 1 : row - 1;
        for (int i = 0; i < RowCount(); ++i) {
            m_rows[static_cast<size_t>(i)].selected = (i == next);
        }
    }
    m_rows.erase(m_rows.begin() + row);
    return true;
}

int ReportListState::DeleteItems(unsigned states) {
    int deleted = 0;
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (Matches(row, states)) {
            m_rows.erase(m_rows.begin() + row);
            ++deleted;
        }
    }
    return deleted;
}

bool ReportListState::Matches(int row, unsigned states) const {
    if (!ValidRow(row)) {
        return false;
    }
    if (states & kRsAny) {
        return true;
    }
    const ReportRow& r = m_rows[static_cast<size_t>(row)];
    if (((states & kRsSelected) && !r.selected) || ((states & kRsUnselected) && r.selected)) {
        return false;
    }
    if (((states & kRsChecked) && !r.checked) || ((states & kRsUnchecked) && r.checked)) {
        return false;
    }
    if (((states & kRsFocused) && !r.focused) || ((states & kRsUnfocused) && r.focused)) {
        return false;
    }
    return true;
}

int ReportListState::GetItemCount(unsigned states) const {
    int count = 0;
    for (int row = 0; row < RowCount(); ++row) {
        count += Matches(row, states) ? 1 : 0;
    }
    return count;
}

int ReportListState::GetFirstItem(unsigned states, int after) const {
    for (int row = std::max(after + 1, 0); row < RowCount(); ++row) {
        if (Matches(row, states)) {
            return row;
        }
    }
    return -1;
}

void ReportListState::UncheckAllBut(int row) {
    for (int other = 0; other < RowCount(); ++other) {
        if (other != row && m_rows[static_cast<size_t>(other)].checked) {
            SetChecked(other, false);
        }
    }
}

void ReportListState::SetChecked(int row, bool checked) {
    m_rows[static_cast<size_t>(row)].checked = checked;
    if (onCheckChanged) {
        onCheckChanged(row);
    }
}

bool ReportListState::SetItemStates(int row, unsigned states) {
    if (!ValidRow(row)) {
        return false;
    }
    bool ok = true;
    ReportRow& r = m_rows[static_cast<size_t>(row)];
    if (states & kRsSelected) {
        r.selected = true;
    }
    if (states & kRsUnselected) {
        r.selected = false;
    }
    if (states & (kRsChecked | kRsUnchecked)) {
        if (m_checkStyle == kCheckNone) {
            ok = false; // no boxes to set
        } else if (states & kRsChecked) {
            if (m_checkStyle == kCheckSingle) {
                UncheckAllBut(row);
            }
            SetChecked(row, true);
        } else {
            SetChecked(row, false);
        }
    }
    if (states & kRsFocused) {
        for (ReportRow& other : m_rows) {
            other.focused = false;
        }
        r.focused = true;
    }
    if (states & kRsUnfocused) {
        r.focused = false;
    }
    return ok;
}

void ReportListState::SetItemBkColor(int row, int column, int32_t colour) {
    for (int i = 0; i < RowCount(); ++i) {
        if (ValidRow(row) && i != row) {
            continue;
        }
        ReportRow& r = m_rows[static_cast<size_t>(i)];
        for (size_t c = 0; c < r.colours.size(); ++c) {
            if (column >= 0 && static_cast<size_t>(column) < r.colours.size() &&
                c != static_cast<size_t>(column)) {
                continue;
            }
            r.colours[c] = colour;
        }
    }
}

int ReportListState::MoveTo(int row, int target) {
    if (!ValidRow(row)) {
        return -1;
    }
    target = std::clamp(target, 0, RowCount() - 1);
    if (target == row) {
        return row;
    }
    ReportRow moved = std::move(m_rows[static_cast<size_t>(row)]);
    m_rows.erase(m_rows.begin() + row);
    m_rows.insert(m_rows.begin() + target, std::move(moved));
    return target;
}

bool ReportListState::UserToggledCheck(int row, bool wantChecked) {
    if (!ValidRow(row) || m_checkStyle == kCheckNone ||
        m_rows[static_cast<size_t>(row)].checked == wantChecked) {
        return false;
    }
    if (m_checkStyle == kCheckReadOnly) {
        return false; // the box keeps its previous state
    }
    if (m_checkStyle == kCheckSingle && wantChecked) {
        UncheckAllBut(row);
    }
    SetChecked(row, wantChecked);
    for (int i = 0; i < RowCount(); ++i) {
        m_rows[static_cast<size_t>(i)].selected = (i == row);
        m_rows[static_cast<size_t>(i)].focused = (i == row);
    }
    return true;
}

} // namespace velkarn
