#include "qt_app.h"
#include "skin/report_ctrl.h"
#include "skin/report_list_state.h"
#include "skin/window_message.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace velkarn {
namespace {

ReportListState Rows(int n, int checkStyle = kCheckNone) {
    ReportListState state;
    state.InsertColumn(0);
    state.InsertColumn(1);
    for (int i = 0; i < n; ++i) {
        state.InsertItem(i, "row" + std::to_string(i));
    }
    state.SetCheckStyle(checkStyle);
    return state;
}

TEST(ReportListState, SingleCheckLeavesOnlyTheClickedRowCheckedAndSelected) {
    ReportListState state = Rows(3, kCheckSingle);
    std::vector<int> changed;
    state.onCheckChanged = [&changed](int row) { changed.push_back(row); };
    EXPECT_TRUE(state.SetItemStates(0, kRsChecked));
    EXPECT_TRUE(state.UserToggledCheck(2, true));
    EXPECT_EQ(state.GetItemCount(kRsChecked), 1);
    EXPECT_EQ(state.GetFirstItem(kRsChecked, -1), 2);
    EXPECT_EQ(state.GetItemCount(kRsSelected), 1);
    EXPECT_EQ(state.GetFirstItem(kRsSelected | kRsFocused, -1), 2);
    EXPECT_EQ(changed, (std::vector<int>{0, 0, 2}));
    // Unchecking is allowed in single-check mode.
    EXPECT_TRUE(state.UserToggledCheck(2, false));
    EXPECT_EQ(state.GetFirstItem(kRsChecked, -1), -1);
}

TEST(ReportListState, CheckStylesDecideWhatAClickDoes) {
    ReportListState none = Rows(2, kCheckNone);
    EXPECT_FALSE(none.UserToggledCheck(0, true));
    EXPECT_FALSE(none.SetItemStates(0, kRsChecked)); // no boxes to set

    ReportListState readOnly = Rows(2, kCheckReadOnly);
    EXPECT_FALSE(readOnly.UserToggledCheck(0, true));
    EXPECT_EQ(readOnly.GetItemCount(kRsChecked), 0);
    EXPECT_TRUE(readOnly.SetItemStates(1, kRsChecked)); // the program may still set it

    ReportListState normal = Rows(3, kCheckNormal);
    EXPECT_TRUE(normal.UserToggledCheck(0, true));
    EXPECT_TRUE(normal.UserToggledCheck(1, true));
    EXPECT_EQ(normal.GetItemCount(kRsChecked), 2);
    EXPECT_FALSE(normal.UserToggledCheck(1, true)); // no real change, nothing to report

    // Switching to single check unchecks every row.
    normal.SetCheckStyle(kCheckSingle);
    EXPECT_EQ(normal.GetItemCount(kRsChecked), 0);
}

TEST(ReportListState, QueriesByFlags) {
    ReportListState state = Rows(4, kCheckNormal);
    EXPECT_EQ(state.GetFirstItem(kRsChecked, -1), -1);
    state.SetItemStates(1, kRsChecked | kRsSelected);
    state.SetItemStates(3, kRsChecked);
    EXPECT_EQ(state.GetItemCount(kRsAny), 4);
    EXPECT_EQ(state.GetItemCount(kRsChecked), 2);
    EXPECT_EQ(state.GetItemCount(kRsChecked | kRsUnselected), 1);
    EXPECT_EQ(state.GetFirstItem(kRsChecked, 1), 3);
    EXPECT_EQ(state.GetFirstItem(kRsUnchecked, -1), 0);
    EXPECT_EQ(state.GetFirstItem(kRsAny, 3), -1);
    state.SetItemStates(2, kRsFocused);
    state.SetItemStates(0, kRsFocused);
    EXPECT_EQ(state.GetItemCount(kRsFocused), 1); // one focused row at a time
    EXPECT_EQ(state.DeleteItems(kRsChecked), 2);
    EXPECT_EQ(state.RowCount(), 2);
    EXPECT_EQ(state.Row(1).texts[0], "row2");
    EXPECT_EQ(state.DeleteItems(kRsAny), 2);
    EXPECT_FALSE(state.SetItemStates(0, kRsSelected));
}

TEST(ReportListState, DeleteWithSelectNext) {
    ReportListState only = Rows(1);
    EXPECT_TRUE(only.DeleteItem(0, true));
    EXPECT_EQ(only.RowCount(), 0);
    EXPECT_EQ(only.GetItemCount(kRsSelected), 0);

    ReportListState three = Rows(3);
    three.DeleteItem(1, true);
    EXPECT_EQ(three.GetFirstItem(kRsSelected, -1), 1); // the row after it, now at index 1
    EXPECT_EQ(three.Row(1).texts[0], "row2");
    three.DeleteItem(1, true);
    EXPECT_EQ(three.GetFirstItem(kRsSelected, -1), 0); // last row gone: the one before it
    EXPECT_FALSE(three.DeleteItem(5, true));
}

TEST(ReportListState, CellColoursForRowsAndColumns) {
    ReportListState state = Rows(3);
    state.SetItemBkColor(-1, 1, 0x0000FF);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(state.Row(row).colours[0], kDefaultCellColour);
        EXPECT_EQ(state.Row(row).colours[1], 0x0000FF);
    }
    state.SetItemBkColor(1, 9, 0x00FF00);
    EXPECT_EQ(state.Row(1).colours, (std::vector<int32_t>{0x00FF00, 0x00FF00}));
    EXPECT_EQ(state.Row(0).colours[0], kDefaultCellColour);
}

TEST(ReportListState, MovesKeepRowsWholeAndClampAtTheEnds) {
    ReportListState state = Rows(4, kCheckNormal);
    state.SetItemStates(0, kRsChecked);
    state.Row(0).data = 42;
    EXPECT_EQ(state.MoveUp(0, 1), 0); // the top row stays at the top
    EXPECT_EQ(state.MoveDown(0, 2), 2);
    EXPECT_EQ(state.Row(2).texts[0], "row0");
    EXPECT_TRUE(state.Row(2).checked);
    EXPECT_EQ(state.Row(2).data, 42u);
    EXPECT_EQ(state.MoveToBottom(2), 3);
    EXPECT_EQ(state.MoveDown(3, 10), 3);
    EXPECT_EQ(state.MoveToTop(3), 0);
    EXPECT_EQ(state.Row(0).texts[0], "row0");
    EXPECT_EQ(state.Row(1).texts[0], "row1");
    EXPECT_EQ(state.MoveUp(7, 1), -1);
}

class ListParent : public QWidget {
public:
    std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> messages;

protected:
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            messages.emplace_back(m->Message(), m->WParam(), m->LParam());
            return true;
        }
        return QWidget::event(e);
    }
};

TEST(ReportCtrl, CheckClickNotifiesAndMirrorsTheWidget) {
    test::App();
    ListParent parent;
    CReportCtrl list(&parent);
    list.InsertColumn(0, "Profile", 120);
    for (int i = 0; i < 3; ++i) {
        list.InsertItem(i, QStringLiteral("p%1").arg(i));
    }
    list.SetCheckboxStyle(kCheckSingle);
    list.SetItemStates(0, kRsChecked);
    int callbacks = 0;
    list.onCheckChanged = [&callbacks](CReportCtrl*, int) { ++callbacks; };
    // The user ticks row 2's box in the widget itself.
    list.topLevelItem(2)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(list.GetFirstItem(kRsChecked), 2);
    EXPECT_EQ(list.topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_TRUE(list.topLevelItem(2)->isSelected());
    EXPECT_EQ(callbacks, 2);
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(std::get<0>(parent.messages[0]), kReportCheckNotify);
    EXPECT_EQ(std::get<1>(parent.messages[0]), 2u);

    // Read-only boxes spring back.
    list.SetCheckboxStyle(kCheckReadOnly);
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_EQ(list.topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(parent.messages.size(), 1u);
}

TEST(ReportCtrl, InPlaceEditValidatesAndReports) {
    test::App();
    ListParent parent;
    CReportCtrl list(&parent);
    list.InsertColumn(0, "Name", 100);
    list.InsertColumn(1, "Delay", 60);
    list.InsertItem(0, "Macro 1");
    list.SetItemText(0, 1, "10");
    EXPECT_FALSE(list.StartEdit(0, 1)); // not editable yet
    list.SetEditable(true);
    list.validator = [](const QString& text, CReportCtrl*) {
        bool ok = false;
        text.toInt(&ok);
        return ok;
    };
    ASSERT_TRUE(list.StartEdit(0, 1));
    ASSERT_NE(list.Editor(), nullptr);
    EXPECT_TRUE(list.State().Row(0).selected);
    list.Editor()->setText("abc");
    EXPECT_FALSE(list.EndEdit(true));
    EXPECT_EQ(list.GetItemText(0, 1), "10");
    EXPECT_TRUE(parent.messages.empty());

    ASSERT_TRUE(list.StartEdit(0, 1));
    list.Editor()->setText("25");
    EXPECT_TRUE(list.EndEdit(true));
    EXPECT_EQ(list.GetItemText(0, 1), "25");
    EXPECT_EQ(list.topLevelItem(0)->text(1), "25");
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(parent.messages[0], std::make_tuple(kReportEditNotify, uintptr_t{0}, intptr_t{1}));

    // A begin-edit callback may refuse.
    list.onBeginEdit = [](CReportCtrl*, int, int) { return false; };
    EXPECT_FALSE(list.StartEdit(0, 0));
    EXPECT_FALSE(list.IsEditing());
}

TEST(ReportCtrl, RowChangesCloseAnEditTheOwnerKeepsOpen) {
    test::App();
    CReportCtrl list;
    list.InsertColumn(0, "Name", 100);
    list.SetEditable(true);
    // The owner refuses every end of edit; a row change must still not leave
    // the edit on a row that moved away under it, nor save the typed text.
    list.onEndEdit = [](CReportCtrl*, int, int) { return false; };
    const std::vector<std::pair<const char*, std::function<void(CReportCtrl&)>>> changes = {
        {"move up", [](CReportCtrl& l) { l.MoveUp(1); }},
        {"move to bottom", [](CReportCtrl& l) { l.MoveToBottom(1); }},
        {"insert before", [](CReportCtrl& l) { l.InsertItem(0, "new"); }},
        {"delete another row", [](CReportCtrl& l) { l.DeleteItem(0, false); }},
        {"delete this row", [](CReportCtrl& l) { l.DeleteItem(1, false); }},
        {"delete unchecked rows", [](CReportCtrl& l) { l.DeleteItems(kRsUnchecked); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        list.DeleteItems(kRsAny);
        for (int i = 0; i < 3; ++i)
            list.InsertItem(i, QStringLiteral("a%1").arg(i));
        ASSERT_TRUE(list.StartEdit(1, 0));
        list.Editor()->setText("typed");
        EXPECT_FALSE(list.EndEdit(true));
        EXPECT_TRUE(list.IsEditing()); // the owner's word holds while rows stay put
        change(list);
        EXPECT_FALSE(list.IsEditing());
        EXPECT_EQ(list.Editor(), nullptr);
        for (int row = 0; row < list.State().RowCount(); ++row)
            EXPECT_NE(list.GetItemText(row, 0), "typed");
    }
}

TEST(ReportCtrl, MovesAndColoursReachTheWidget) {
    test::App();
    CReportCtrl list;
    list.InsertColumn(0, "Action", 100);
    for (int i = 0; i < 3; ++i) {
        list.InsertItem(i, QStringLiteral("a%1").arg(i));
    }
    EXPECT_EQ(list.MoveToBottom(0), 2);
    EXPECT_EQ(list.topLevelItem(2)->text(0), "a0");
    list.SetItemBkColor(-1, 0, 0x0000FF);
    EXPECT_EQ(list.topLevelItem(1)->background(0).color(), QColor(255, 0, 0));
    list.DeleteItem(2, true);
    EXPECT_EQ(list.topLevelItemCount(), 2);
    EXPECT_TRUE(list.topLevelItem(1)->isSelected());
}

} // namespace
} // namespace velkarn

namespace velkarn {
namespace {

TEST(ReportCtrl, EscapeDiscardsTheEdit) {
    test::App();
    CReportCtrl list;
    list.InsertColumn(0, "Name", 100);
    list.InsertItem(0, "Macro 1");
    list.SetEditable(true);
    list.show();
    ASSERT_TRUE(list.StartEdit(0, 0));
    list.Editor()->setText("Changed");
    QTest::keyClick(list.Editor(), Qt::Key_Escape);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(list.GetItemText(0, 0), "Macro 1");
}

} // namespace
} // namespace velkarn
