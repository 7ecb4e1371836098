#include "form/gif_control.h"

#include "anigif/anigif_control.h"
#include "form/form1.h"

namespace muto {

GifControl::GifControl(Form1& form)
    : f_(form),
      control_(std::make_unique<anigif::AniGifControl>(form.services.timers,
                                                       &form.services.downloader)) {
    control_->setUserMode(true);
    // The control's own resize moves the box it lives in.
    control_->host.resize = [this](int width, int height) {
        f_.ucAniGIF1.setWidth(width);
        f_.ucAniGIF1.setHeight(height);
    };
}

GifControl::~GifControl() = default;

void GifControl::syncSize() {
    const Rect& g = f_.ucAniGIF1.geometry();
    if (control_->gif().clientWidth() != g.width || control_->gif().clientHeight() != g.height)
        control_->resized(g.width, g.height);
}

void GifControl::cmd_AniGif_Click() {
    FileDialogRequest request;
    // The dialog sets no title of its own; it shows the system's word for opening.
    request.title = "열기";
    request.filter = "Animation Gif|*.gif";
    request.fileName = "";
    request.initDir = f_.programPath("\\AnimationGif");
    const auto path = f_.services.dialogs.openFile(request);
    if (path && !path->empty()) {
        f_.cmd_AniGif.setTag(*path);
        syncSize();
        if (f_.chk_AniGif.value() == 1) {
            control_->refresh();
            if (!f_.ucAniGIF1.visible()) f_.ucAniGIF1.setVisible(true);
            control_->setDelayAnimation(1);
        } else {
            // The GIF loads but waits for the check box to start.
            control_->setDelayAnimation(2);
        }
        control_->loadAnimatedGIF_File(*path);
    }
    f_.setFocus(f_.Picture1);
}

void GifControl::chk_AniGif_Click() {
    if (f_.chk_AniGif.value() == 1) {
        f_.chk_CircleTouch.setValue(0);
        if (!f_.cmd_AniGif.tag().empty()) {
            // Nothing loaded is what AnimatedGIF reads as Nothing.
            if (control_->frameCount() == 0) {
                syncSize();
                control_->loadAnimatedGIF_File(f_.cmd_AniGif.tag());
            }
            f_.ucAniGIF1.setVisible(true);
            control_->setAction(1);
        } else {
            cmd_AniGif_Click();
            // Cancelled: the box does not stay checked without a GIF (this runs the handler
            // again, unchecked).
            if (f_.cmd_AniGif.tag().empty()) f_.chk_AniGif.setValue(0);
        }
    } else {
        control_->setAction(0);
        f_.ucAniGIF1.setVisible(false);
    }
    f_.setFocus(f_.Picture1);
}

}  // namespace muto
