// The Qt form of the prompts interface (app/prompts.h): real message boxes
// and file dialogs. Call on the UI thread.
#pragma once

#include "app/prompts.h"

#include <QWidget>

namespace velkarn {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void Ok(std::string_view text, std::string_view caption = {}) override;
    bool YesNo(std::string_view text, std::string_view caption = {}) override;
    void TopmostOk(std::string_view text, std::string_view caption = {}) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;

private:
    QWidget* m_parent;
};

// "(*.fwc)|*.fwc|(*.*)|*.*||" as a Qt name filter list "(*.fwc);;(*.*)".
QString QtFilterFromWindows(const std::string& filter);

} // namespace velkarn
