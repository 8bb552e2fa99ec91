// CReportCtrl: the report list of the profile manager and of the macro and
// action lists. A QTreeWidget kept in step with ReportListState, which holds
// the rules; this class only mirrors rows, checks, selection and colours,
// and runs the in-place editor.
//
// Notifications to the parent window (as window messages, sent): 0xA710
// after a click changed a row's check box (row, 0); 0xA712 after an edited
// text was stored (row, column).
//
// Thread safety: UI thread only.
#pragma once

#include "skin/report_list_state.h"

#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <functional>

namespace velkarn {

constexpr uint32_t kReportCheckNotify = 0xA710;
constexpr uint32_t kReportEditNotify = 0xA712;

class CReportCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CReportCtrl(QWidget* parent = nullptr);

    int InsertColumn(int index, const QString& heading, int width);
    int InsertItem(int index, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool DeleteItem(int row, bool selectNext);
    int DeleteItems(unsigned states);
    int GetItemCount(unsigned states = kRsAny) const { return m_state.GetItemCount(states); }
    int GetFirstItem(unsigned states, int after = -1) const { return m_state.GetFirstItem(states, after); }
    bool SetItemStates(int row, unsigned states);
    void SetItemData(int row, uintptr_t value);
    uintptr_t GetItemData(int row) const;
    void SetCheckboxStyle(int style);
    void SetEditable(bool editable);
    void SetGridLines(bool on);
    void SetHeaderClickable(bool clickable);
    void SetItemBkColor(int row, int column, int32_t colour, bool redraw = true);
    int MoveUp(int row, int n = 1);
    int MoveDown(int row, int n = 1);
    int MoveToTop(int row);
    int MoveToBottom(int row);
    bool StartEdit(int row, int column);
    bool EndEdit(bool commit);
    bool IsEditing() const { return m_editRow >= 0; }
    QLineEdit* Editor() const { return m_editor; }

    void SetOwnerParam(void* owner) { m_owner = owner; }
    void* GetOwnerParam() const { return m_owner; }
    std::function<void(CReportCtrl*, int row)> onCheckChanged;
    std::function<bool(CReportCtrl*, int row, int column)> onBeginEdit;
    std::function<bool(CReportCtrl*, int row, int column)> onEndEdit;
    std::function<bool(const QString& text, CReportCtrl*)> validator;

    const ReportListState& State() const { return m_state; }

    // The user's check-box click on a row (what the widget's own box does).
    void OnUserCheckClick(int row, bool wantChecked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Before rows are inserted, removed or moved: ends the edit as asked and,
    // if the owner keeps it open, drops it anyway, so the edit never stays
    // on a row that has moved away under it.
    void CloseEditBeforeRowChange(bool commit);
    void DropEdit(); // closes the editor without asking or saving
    int MoveRows(const std::function<int()>& move);
    void SyncRow(int row);
    void SyncAll();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnSelectionChanged();
    void Notify(uint32_t message, int row, int column);

    ReportListState m_state;
    bool m_editable = false;
    int m_editRow = -1;
    int m_editColumn = -1;
    QPointer<QLineEdit> m_editor;
    void* m_owner = nullptr;
    bool m_syncing = false;
};

} // namespace velkarn
