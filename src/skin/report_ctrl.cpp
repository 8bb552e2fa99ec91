#include "skin/report_ctrl.h"

#include "skin/color_controls.h"
#include "skin/window_message.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace velkarn {

CReportCtrl::CReportCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // lists of this program are never sorted by a header click
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setColumnCount(0);
    setHeaderLabels({});
    m_state.onCheckChanged = [this](int row) {
        SyncRow(row);
        if (onCheckChanged) {
            onCheckChanged(this, row);
        }
    };
    connect(this, &QTreeWidget::itemChanged, this, &CReportCtrl::OnItemChanged);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CReportCtrl::OnSelectionChanged);
}

int CReportCtrl::InsertColumn(int index, const QString& heading, int width) {
    EndEdit(true);
    index = std::clamp(index, 0, m_state.ColumnCount());
    m_state.InsertColumn(index);
    QStringList headings;
    for (int c = 0; c < columnCount(); ++c) {
        headings << headerItem()->text(c);
    }
    headings.insert(index, heading);
    setColumnCount(m_state.ColumnCount());
    setHeaderLabels(headings);
    setColumnWidth(index, width);
    SyncAll();
    return index;
}

int CReportCtrl::InsertItem(int index, const QString& text) {
    CloseEditBeforeRowChange(true);
    const int row = m_state.InsertItem(index, text.toStdString());
    m_syncing = true;
    insertTopLevelItem(row, new QTreeWidgetItem());
    m_syncing = false;
    SyncRow(row);
    return row;
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    EndEdit(true);
    if (!m_state.SetItemText(row, column, text.toStdString())) {
        return false;
    }
    SyncRow(row);
    return true;
}

QString CReportCtrl::GetItemText(int row, int column) const {
    if (!m_state.ValidRow(row) || column < 0 ||
        static_cast<size_t>(column) >= m_state.Row(row).texts.size()) {
        return {};
    }
    return QString::fromStdString(m_state.Row(row).texts[static_cast<size_t>(column)]);
}

bool CReportCtrl::DeleteItem(int row, bool selectNext) {
    // An edit of another row is kept; an edit of this row goes with it.
    CloseEditBeforeRowChange(m_editRow != row);
    if (!m_state.DeleteItem(row, selectNext)) {
        return false;
    }
    m_syncing = true;
    delete takeTopLevelItem(row);
    m_syncing = false;
    SyncAll();
    return true;
}

int CReportCtrl::DeleteItems(unsigned states) {
    CloseEditBeforeRowChange(false);
    setUpdatesEnabled(false);
    const int deleted = m_state.DeleteItems(states);
    m_syncing = true;
    clear();
    for (int row = 0; row < m_state.RowCount(); ++row) {
        addTopLevelItem(new QTreeWidgetItem());
    }
    m_syncing = false;
    SyncAll();
    setUpdatesEnabled(true);
    return deleted;
}

bool CReportCtrl::SetItemStates(int row, unsigned states) {
    const bool ok = m_state.SetItemStates(row, states);
    if (m_state.ValidRow(row)) {
        SyncAll();
    }
    return ok;
}

void CReportCtrl::SetItemData(int row, uintptr_t value) {
    if (m_state.ValidRow(row)) {
        m_state.Row(row).data = value;
    }
}

uintptr_t CReportCtrl::GetItemData(int row) const {
    return m_state.ValidRow(row) ? m_state.Row(row).data : 0;
}

void CReportCtrl::SetCheckboxStyle(int style) {
    EndEdit(true);
    m_state.SetCheckStyle(style);
    SyncAll();
}

void CReportCtrl::SetEditable(bool editable) {
    if (!editable) {
        EndEdit(true);
    }
    m_editable = editable;
}

void CReportCtrl::SetGridLines(bool on) {
    setStyleSheet(on ? QStringLiteral("QTreeView::item { border-right: 1px solid palette(mid); "
                                      "border-bottom: 1px solid palette(mid); }")
                     : QString());
}

void CReportCtrl::SetHeaderClickable(bool clickable) {
    header()->setSectionsClickable(clickable);
}

void CReportCtrl::SetItemBkColor(int row, int column, int32_t colour, bool redraw) {
    m_state.SetItemBkColor(row, column, colour);
    if (redraw) {
        SyncAll();
    }
}

int CReportCtrl::MoveRows(const std::function<int()>& move) {
    CloseEditBeforeRowChange(true);
    const int target = move();
    SyncAll();
    return target;
}

int CReportCtrl::MoveUp(int row, int n) {
    return MoveRows([&] { return m_state.MoveUp(row, n); });
}

int CReportCtrl::MoveDown(int row, int n) {
    return MoveRows([&] { return m_state.MoveDown(row, n); });
}

int CReportCtrl::MoveToTop(int row) {
    return MoveRows([&] { return m_state.MoveToTop(row); });
}

int CReportCtrl::MoveToBottom(int row) {
    return MoveRows([&] { return m_state.MoveToBottom(row); });
}

bool CReportCtrl::StartEdit(int row, int column) {
    if (!m_editable || !m_state.ValidRow(row) || column < 0 || column >= m_state.ColumnCount()) {
        return false;
    }
    EndEdit(true);
    for (int i = 0; i < m_state.RowCount(); ++i) {
        m_state.Row(i).selected = (i == row);
        m_state.Row(i).focused = (i == row);
    }
    SyncAll();
    if (onBeginEdit && !onBeginEdit(this, row, column)) {
        return false;
    }
    m_editRow = row;
    m_editColumn = column;
    m_editor = new QLineEdit(viewport());
    m_editor->setText(GetItemText(row, column));
    m_editor->setGeometry(visualRect(indexFromItem(topLevelItem(row), column)));
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
    connect(m_editor, &QLineEdit::returnPressed, this, [this] { EndEdit(true); });
    m_editor->installEventFilter(this);
    return true;
}

void CReportCtrl::CloseEditBeforeRowChange(bool commit) {
    EndEdit(commit);
    if (m_editRow >= 0) {
        DropEdit();
    }
}

void CReportCtrl::DropEdit() {
    m_editRow = -1;
    m_editColumn = -1;
    if (m_editor) {
        m_editor->hide();
        m_editor->deleteLater();
        m_editor = nullptr;
    }
}

bool CReportCtrl::EndEdit(bool commit) {
    if (m_editRow < 0) {
        return false;
    }
    const int row = m_editRow;
    const int column = m_editColumn;
    const QString text = m_editor ? m_editor->text() : QString();
    if (onEndEdit && !onEndEdit(this, row, column)) {
        return false; // the owner keeps the edit open
    }
    DropEdit();
    if (!commit || text == GetItemText(row, column)) {
        return false;
    }
    if (validator && !validator(text, this)) {
        return false;
    }
    m_state.SetItemText(row, column, text.toStdString());
    SyncRow(row);
    Notify(kReportEditNotify, row, column);
    return true;
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (m_editor && watched == m_editor) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            EndEdit(false);
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            // Clicking elsewhere keeps what was typed, as leaving a field does everywhere else.
            QMetaObject::invokeMethod(
                this, [this] { EndEdit(true); }, Qt::QueuedConnection);
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

void CReportCtrl::OnUserCheckClick(int row, bool wantChecked) {
    if (m_state.UserToggledCheck(row, wantChecked)) {
        SyncAll();
        Notify(kReportCheckNotify, row, 0);
    } else {
        SyncRow(row); // a refused change puts the box back
    }
}

void CReportCtrl::Notify(uint32_t message, int row, int column) {
    if (QWidget* parent = parentWidget()) {
        SendWindowMessage(parent, message, static_cast<uintptr_t>(row), column);
    }
}

void CReportCtrl::SyncRow(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || !m_state.ValidRow(row)) {
        return;
    }
    const ReportRow& r = m_state.Row(row);
    m_syncing = true;
    for (size_t c = 0; c < r.texts.size(); ++c) {
        const int column = static_cast<int>(c);
        item->setText(column, QString::fromStdString(r.texts[c]));
        item->setBackground(column, r.colours[c] == kDefaultCellColour
                                        ? QBrush()
                                        : QBrush(FromColorRef(static_cast<uint32_t>(r.colours[c]))));
    }
    if (m_state.CheckStyle() == kCheckNone) {
        item->setData(0, Qt::CheckStateRole, QVariant());
    } else {
        item->setCheckState(0, r.checked ? Qt::Checked : Qt::Unchecked);
    }
    item->setSelected(r.selected);
    if (r.focused) {
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
    m_syncing = false;
}

void CReportCtrl::SyncAll() {
    for (int row = 0; row < m_state.RowCount(); ++row) {
        SyncRow(row);
    }
}

void CReportCtrl::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_syncing || column != 0 || m_state.CheckStyle() == kCheckNone) {
        return;
    }
    const int row = indexOfTopLevelItem(item);
    OnUserCheckClick(row, item->checkState(0) == Qt::Checked);
}

void CReportCtrl::OnSelectionChanged() {
    if (m_syncing) {
        return;
    }
    for (int row = 0; row < m_state.RowCount(); ++row) {
        m_state.Row(row).selected = topLevelItem(row)->isSelected();
        m_state.Row(row).focused = currentItem() == topLevelItem(row);
    }
}

} // namespace velkarn
