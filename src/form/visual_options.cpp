#include "form/visual_options.h"

#include "form/circle_touch.h"
#include "form/form1.h"
#include "form/layout.h"
#include "instrument/key_layout.h"
#include "performance/player.h"

namespace muto {

std::string VisualOptions::pictureFailure(const std::string& path, PictureStatus status) {
    return path + (status == PictureStatus::Missing
                       ? "\n\n파일을 찾을 수 없습니다."
                       : "\n\nBMP, JPEG 또는 GIF 그림 파일이 아닙니다.");
}

void VisualOptions::applyColour(int which, Colour colour) {
    switch (which) {
        case 0:
            f_.shp_img.forEach([&](Shape& s) { s.setBorderColor(colour); });
            f_.shp_key.forEach([&](Shape& s) { s.setBorderColor(colour); });
            break;
        case 1:
            f_.lbl_KeyCaption.forEach([&](Label& l) {
                if (f_.instrument().keyNote[static_cast<size_t>(l.index() & 0xFF)] != 0)
                    l.setForeColor(colour);
            });
            f_.Label1.forEach([&](Label& l) {
                if (l.index() < 12) l.setForeColor(colour);
            });
            break;
        case 2: {
            pressColor = f_.lbl_Color(2).backColor();
            for (int d = 0; d < 7; ++d)
                if (f_.instrument().degreeAlter[static_cast<size_t>(d)] != 0)
                    f_.shp_key(vk::kF1 + d).setBackColor(pressColor);
            f_.shp_piano.forEach([&](Shape& s) { s.setBackColor(pressColor); });
            f_.shp_key.forEach([&](Shape& s) {
                auto role = keyRoleOf(s.index());
                if (!role) return;
                if (*role != KeyRole::DegreeKey && *role != KeyRole::Control)
                    s.setBackColor(pressColor);
                if (*role == KeyRole::DegreeKey && vk::isDegreeKey(s.index()) &&
                    f_.instrument().degreeAlter[static_cast<size_t>(vk::degreeOf(s.index()))] != 0)
                    s.setLit(true);
            });
            if (f_.shp_img.exists(12)) f_.shp_img(12).setBackColor(pressColor);
            break;
        }
        default:
            break;
    }
}

void VisualOptions::lbl_Color_Click(int i) {
    if (f_.player().isPlaying() || !f_.lbl_Color.exists(i)) return;
    Label& swatch = f_.lbl_Color(i);
    auto chosen = f_.services.dialogs.chooseColour(swatch.backColor(), kColourDialogFlags);
    if (!chosen) return;
    swatch.setBackColor(*chosen);
    applyColour(i, swatch.backColor());
}

void VisualOptions::chk_BScr_Click() {
    if (f_.chk_BScr.value() == 1) {
        f_.shp_BScr.setVisible(true);
        if (f_.chk_CircleTouch.value() == 1) f_.chk_CircleTouch.setValue(0);
    } else {
        f_.shp_BScr.setVisible(false);
    }
    f_.setFocus(f_.Picture1);
}

CheckBox* VisualOptions::optionBox(int i) {
    switch (i) {
        case 0:
            return &f_.chk_ESync;
        case 1:
            return &f_.chk_KeyOutline;
        case 2:
            return &f_.chk_caption;
        case 3:
            return &f_.chk_CaptionKor;
        case 4:
            return &f_.chk_AniGif;
        case 5:
            return &f_.chk_CircleTouch;
        case 6:
            return &f_.chk_damper(0);
        case 7:
            return &f_.chk_damper(1);
        case 8:
            return &f_.chk_KeysetMode;
        case 9:
            return &f_.chk_BScr;
        case 10:
            return &f_.chk_Practice;
        default:
            return nullptr;
    }
}

void VisualOptions::lbl_chk_Click(int i) {
    CheckBox* box = optionBox(i);
    // A disabled caption takes no click; the box it names is toggled even when disabled.
    if (!box || !f_.lbl_chk(i).enabled()) return;
    box->setValue(box->value() == 1 ? 0 : 1);
}

void VisualOptions::lbl_BottomUD_Click() {
    if (f_.lbl_BottomUD.caption() == "▼") {
        f_.form.setHeightTwips(layout::kTallHeightTwips);
        f_.lbl_BottomUD.setCaption("▲");
    } else {
        f_.form.setHeightTwips(layout::kShortHeightTwips);
        f_.lbl_BottomUD.setCaption("▼");
    }
}

void VisualOptions::Form_Click() {
    f_.setFocus(f_.chk_CircleTouch.value() == 1 ? f_.pic_CircleTouch : f_.Picture1);
}

template <class Target>
void VisualOptions::replacePicture(Target& target, const char* title, const char* folder) {
    if (!f_.player().isPlaying()) {
        FileDialogRequest request;
        request.title = title;
        request.filter = kPictureFilter;
        request.initDir = f_.programPath(folder);
        if (auto path = f_.services.dialogs.openFile(request); path && !path->empty()) {
            // A file that is not a picture leaves the old picture and its path in place.
            const PictureStatus status = f_.services.pictures.probe(*path);
            if (status == PictureStatus::Ok) {
                target.setTag(*path);
                target.setPicture(*path);
            } else {
                f_.services.dialogs.messageBox(pictureFailure(*path, status), "열기 실패",
                                               MsgButtons::Ok, MsgIcon::Exclamation);
            }
        }
        // The rings of the circle-touch surface are drawn on the window and go with a new
        // picture.
        if (f_.chk_CircleTouch.value() == 1) f_.circleTouch().clearRings();
    }
    f_.setFocus(f_.Picture1);
}

void VisualOptions::Form_DblClick() {
    replacePicture(f_.form, "배경 열기", "\\배경");
}

void VisualOptions::img_ControlPanel_DblClick() {
    replacePicture(f_.img_ControlPanel, "제어판 그림 열기", "\\제어판 그림");
}

void VisualOptions::pic_CircleTouch_DblClick() {
    replacePicture(f_.pic_CircleTouch, "피아노 건반 그림 열기", "\\피아노 건반 그림");
}

}  // namespace muto
