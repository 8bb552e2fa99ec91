// CBaseDialog: the skinned dialog every window of the program derives from.
// Its background, outline (from a mask picture) and control places come from
// the window's skin INI file; an empty spot of the window drags it.
//
// Also the placement operations that lay out controls from a skin INI file,
// and the per-window state picture sets (normal, over, down, disabled) that
// image buttons cut their looks from, loaded once per process.
//
// Thread safety: UI thread only.
#pragma once

#include "skin/ini_file.h"
#include "skin/skin_geometry.h"

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <array>
#include <functional>
#include <memory>
#include <string>

namespace velkarn {

class CPngButton;

// A fatal skin fault ends the process with exit code 0 and no message; tests
// replace the exit to observe it.
using SkinExitFunction = std::function<void(int code)>;
void SetSkinExitFunction(SkinExitFunction exit);
void SkinFatalExit();

// The window region of a mask: non-white pixels are inside.
QRegion RegionFromMask(const QImage& mask);

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    CBaseDialog(QWidget* parent, std::string iniPath, std::string skinFolder);

    // Loads the skin: background, mask, size and window shape. A missing or
    // undecodable picture ends the process (SkinFatalExit). Returns false when it did.
    virtual bool OnInitDialog();
    // Frees the background and mask; the window closes as a dialog does.
    virtual void OnOK();
    virtual void OnCancel();

    const CIniFile& IniFile() const { return m_iniFile; }
    const std::string& IniPath() const { return m_iniPath; }
    const std::string& SkinFolder() const { return m_skinFolder; }
    bool IsSkinning() const { return m_skinning; }
    const QPixmap& Background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void reject() override { OnCancel(); }
    void accept() override { OnOK(); }

private:
    QPixmap m_background;
    QImage m_mask;
    bool m_skinning = false;
    std::string m_iniPath;
    std::string m_skinFolder;
    CIniFile m_iniFile;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

// Reads a placement from section/key of an INI file ("1,1,1,1" when missing).
SkinBox ReadPlacement(const std::string& ini, const char* section, const std::string& key);

void PlaceControl(QWidget* control, const std::string& ini, const char* section, const std::string& key);
void MoveControl(QWidget* control, const std::string& ini, const char* section, const std::string& key);

// One state picture: the whole window's look in one state, shared by every
// button of the window kind. Null pointers are allowed (a button then draws nothing).
using StatePicture = std::shared_ptr<const QImage>;

void PlaceImageButton(CPngButton* button, const std::string& ini, const char* section, const std::string& key,
                      StatePicture normal, StatePicture over, StatePicture down, StatePicture disabled,
                      StatePicture extra);
void PlaceImageButtonAt(CPngButton* button, const std::string& ini, const char* section,
                        const std::string& key, const char* imageSection, const std::string& imageKey,
                        StatePicture picture);

// Decodes a picture file (JPEG, BMP, PNG). A file that cannot be read gives
// an empty picture that draws nothing; only a failure to create the object
// would be an error, which cannot happen here.
StatePicture LoadStatePicture(const std::string& path);

// Picture drawn at 1:1 into a context the size of window plus 100 pixels each way.
StatePicture DrawStatePicture(const StatePicture& picture, QSize window);

// The four state pictures of one window kind, loaded on the first opening of
// that kind and reused by every later opening.
struct StatePictureSet {
    std::array<StatePicture, 4> pictures; // normal, over, down, disabled
    bool loaded = false;
    // Index of the first file that did not decode (-1: all did). A set with a
    // bad file is not kept, so the next call tries the files again.
    int undecoded = -1;
};
// The set registered under name for these files at this window size; the
// files are decoded only on the first call with all three the same.
StatePictureSet& SharedStatePictures(const std::string& name, QSize window,
                                     const std::array<std::string, 4>& files);
// Number of times picture files were decoded for sets (for tests of reuse).
int StatePictureLoadCount();

} // namespace velkarn
