#include "display/visual_options.h"

#include "core/form1.h"
#include "core/layout.h"

namespace muto {

void VisualOptions::applyColour(int which, Colour colour) {
    switch (which) {
        case 0:
            f_.shp_img.forEach([&](Shape& s) { s.setBorderColor(colour); });
            f_.shp_key.forEach([&](Shape& s) { s.setBorderColor(colour); });
            break;
        case 1:
            f_.lbl_KeyCaption.forEach([&](Label& l) {
                if (f_.keyNote[static_cast<size_t>(l.index() & 0xFF)] != 0) l.setForeColor(colour);
            });
            f_.Label1.forEach([&](Label& l) {
                if (l.index() < 12) l.setForeColor(colour);
            });
            break;
        case 2: {
            f_.pressColor = f_.lbl_Color(2).backColor();
            for (int d = 0; d < 7; ++d)
                if (f_.degreeAlter[static_cast<size_t>(d)] != 0)
                    f_.shp_key(vk::kF1 + d).setBackColor(f_.pressColor);
            f_.shp_piano.forEach([&](Shape& s) { s.setBackColor(f_.pressColor); });
            f_.shp_key.forEach([&](Shape& s) {
                auto role = s.role();
                if (!role) return;
                if (*role != KeyRole::DegreeKey && *role != KeyRole::Control)
                    s.setBackColor(f_.pressColor);
                if (*role == KeyRole::DegreeKey && vk::isDegreeKey(s.index()) &&
                    f_.degreeAlter[static_cast<size_t>(vk::degreeOf(s.index()))] != 0)
                    s.setLit(true);
            });
            if (f_.shp_img.exists(12)) f_.shp_img(12).setBackColor(f_.pressColor);
            break;
        }
        default:
            break;
    }
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

void VisualOptions::lbl_BottomUD_Click() {
    if (f_.lbl_BottomUD.caption() == "▼") {
        f_.form.setHeightTwips(layout::kTallHeightTwips);
        f_.lbl_BottomUD.setCaption("▲");
    } else {
        f_.form.setHeightTwips(layout::kShortHeightTwips);
        f_.lbl_BottomUD.setCaption("▼");
    }
}

void VisualOptions::Form_DblClick() {}

void VisualOptions::img_ControlPanel_DblClick() {}

}  // namespace muto
