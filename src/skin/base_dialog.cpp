#include "skin/base_dialog.h"

#include "skin/png_button.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <cstdlib>
#include <map>
#include <tuple>

namespace velkarn {
namespace {

SkinExitFunction& ExitFunction() {
    static SkinExitFunction exit = [](int code) { std::_Exit(code); };
    return exit;
}

int& LoadCount() {
    static int count = 0;
    return count;
}

QImage DecodeFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QImage image;
    image.loadFromData(file.readAll());
    return image;
}

} // namespace

void SetSkinExitFunction(SkinExitFunction exit) {
    ExitFunction() = exit ? std::move(exit) : SkinExitFunction([](int code) { std::_Exit(code); });
}

void SkinFatalExit() {
    ExitFunction()(0);
}

QRegion RegionFromMask(const QImage& mask) {
    const QImage image = mask.convertToFormat(QImage::Format_RGB32);
    const auto batches = MaskRunBatches(image.width(), image.height(), [&image](int x, int y) {
        return (reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] & 0xFFFFFFu) == 0xFFFFFFu;
    });
    QRegion region;
    for (const auto& batch : batches) {
        QList<QRect> rects;
        rects.reserve(static_cast<qsizetype>(batch.size()));
        for (const SkinBox& box : batch) {
            rects.append(QRect(box.x, box.y, box.w, box.h));
        }
        QRegion part;
        part.setRects(rects.constData(), static_cast<int>(rects.size()));
        region = region.united(part);
    }
    return region;
}

CBaseDialog::CBaseDialog(QWidget* parent, std::string iniPath, std::string skinFolder)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_iniPath(std::move(iniPath)),
      m_skinFolder(std::move(skinFolder)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CBaseDialog::OnInitDialog() {
    m_skinning = true;
    m_iniFile.SetPath(m_iniPath);
    const std::string main = m_iniFile.GetString("SCREEN", "Main").value_or(std::string());
    const std::string maskName = m_iniFile.GetString("SCREEN", "Mask", main).value_or(main);
    const QImage background = main.empty() ? QImage() : DecodeFile(m_skinFolder + main);
    const QImage mask = maskName.empty() ? QImage() : DecodeFile(m_skinFolder + maskName);
    if (background.isNull() || mask.isNull()) {
        m_skinning = false;
        SkinFatalExit();
        return false;
    }
    m_background = QPixmap::fromImage(background);
    m_mask = mask;
    setFixedSize(background.size());
    const QRegion region = RegionFromMask(mask);
    if (!region.isEmpty()) {
        setMask(region);
    }
    m_skinning = false;
    return true;
}

void CBaseDialog::OnOK() {
    m_background = QPixmap();
    m_mask = QImage();
    QDialog::accept();
}

void CBaseDialog::OnCancel() {
    m_background = QPixmap();
    m_mask = QImage();
    QDialog::reject();
}

void CBaseDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_background.isNull()) {
        painter.drawPixmap(0, 0, m_background);
    }
}

void CBaseDialog::mousePressEvent(QMouseEvent* event) {
    // Only presses on the dialog's own surface reach here: child controls take theirs.
    if (event->button() == Qt::LeftButton) {
        if (QWindow* handle = windowHandle(); handle && handle->startSystemMove()) {
            return;
        }
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    }
    QDialog::mouseMoveEvent(event);
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

SkinBox ReadPlacement(const std::string& ini, const char* section, const std::string& key) {
    CIniFile file(ini);
    return ParsePlacement(file.GetString(section, key, "1,1,1,1,x").value_or("1,1,1,1,x"));
}

void PlaceControl(QWidget* control, const std::string& ini, const char* section, const std::string& key) {
    const SkinBox box = ReadPlacement(ini, section, key);
    control->setGeometry(box.x, box.y, box.w, box.h);
}

void MoveControl(QWidget* control, const std::string& ini, const char* section, const std::string& key) {
    const SkinBox box = ReadPlacement(ini, section, key);
    control->move(box.x, box.y);
    control->update();
}

void PlaceImageButton(CPngButton* button, const std::string& ini, const char* section, const std::string& key,
                      StatePicture normal, StatePicture over, StatePicture down, StatePicture disabled,
                      StatePicture extra) {
    const SkinBox box = ReadPlacement(ini, section, key);
    button->setGeometry(box.x, box.y, box.w, box.h);
    button->SetLooks(box.x, box.y, std::move(normal), std::move(over), std::move(down), std::move(disabled),
                     std::move(extra), false);
    if (IsMissingPlacement(box)) {
        button->setEnabled(false);
    }
}

void PlaceImageButtonAt(CPngButton* button, const std::string& ini, const char* section,
                        const std::string& key, const char* imageSection, const std::string& imageKey,
                        StatePicture picture) {
    const SkinBox box = ReadPlacement(ini, section, key);
    button->setGeometry(box.x, box.y, box.w, box.h);
    const SkinBox origin = ReadPlacement(ini, imageSection, imageKey);
    button->SetLooks(origin.x, origin.y, picture, picture, picture, picture, picture, false);
}

StatePicture LoadStatePicture(const std::string& path) {
    ++LoadCount();
    return std::make_shared<const QImage>(DecodeFile(path));
}

StatePicture DrawStatePicture(const StatePicture& picture, QSize window) {
    auto context =
        std::make_shared<QImage>(window.width() + 100, window.height() + 100, QImage::Format_RGB32);
    context->fill(Qt::black);
    if (picture && !picture->isNull()) {
        QPainter painter(context.get());
        painter.drawImage(0, 0, *picture);
    }
    return context;
}

StatePictureSet& SharedStatePictures(const std::string& name, QSize window,
                                     const std::array<std::string, 4>& files) {
    // Keyed by everything the pictures come from: the same kind of window cut
    // from another skin folder, or at another size, gets pictures of its own.
    using Key = std::tuple<std::string, std::array<std::string, 4>, int, int>;
    static std::map<Key, StatePictureSet> sets;
    StatePictureSet& set = sets[Key(name, files, window.width(), window.height())];
    if (!set.loaded) {
        set.undecoded = -1;
        for (size_t i = 0; i < files.size(); ++i) {
            const StatePicture decoded = LoadStatePicture(files[i]);
            if (decoded->isNull() && set.undecoded < 0) {
                set.undecoded = static_cast<int>(i);
            }
            set.pictures[i] = DrawStatePicture(decoded, window);
        }
        set.loaded = set.undecoded < 0;
    }
    return set;
}

int StatePictureLoadCount() {
    return LoadCount();
}

} // namespace velkarn
