#include "skin/prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace velkarn {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString CaptionOr(std::string_view caption) {
    return caption.empty() ? QCoreApplication::applicationName() : Q(caption);
}

} // namespace

QString QtFilterFromWindows(const std::string& filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses; a label that already shows them is kept.
        filters << (parts[i].contains(QStringLiteral("(%1)").arg(patterns))
                        ? parts[i]
                        : QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return filters.join(QStringLiteral(";;"));
}

void QtPrompts::Ok(std::string_view text, std::string_view caption) {
    QMessageBox::information(m_parent, CaptionOr(caption), Q(text), QMessageBox::Ok);
}

bool QtPrompts::YesNo(std::string_view text, std::string_view caption) {
    return QMessageBox::question(m_parent, CaptionOr(caption), Q(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::TopmostOk(std::string_view text, std::string_view caption) {
    QMessageBox box(QMessageBox::Warning, CaptionOr(caption), Q(text), QMessageBox::Ok, m_parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

std::optional<std::string> QtPrompts::OpenFile(const FileDialogRequest& request) {
    const QString path = QFileDialog::getOpenFileName(m_parent, QString(), Q(request.initialFolder),
                                                      QtFilterFromWindows(request.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtPrompts::SaveFile(const FileDialogRequest& request) {
    QFileDialog dialog(m_parent, QString(), Q(request.initialFolder), QtFilterFromWindows(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Q(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialName.empty() && request.initialName.find('*') == std::string::npos) {
        dialog.selectFile(Q(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

} // namespace velkarn
