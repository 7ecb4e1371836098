#include "form/gif_control.h"

#include "anigif/anigif_control.h"
#include "form/form1.h"
#include "form/layout.h"
#include "io/read_file.h"

namespace muto {

GifControl::GifControl(Form1& form)
    : f_(form),
      control_(std::make_unique<anigif::AniGifControl>(
          form.services.timers, &form.services.downloader, form.services.worker)) {
    control_->setUserMode(true);
    control_->fileReader = [](const std::string& path) {
        return readWholeFile(path, anigif::kGifFileLimit);
    };
    // The control's own resize moves the box it lives in.
    control_->host.resize = [this](int width, int height) {
        f_.ucAniGIF1.setWidth(width);
        f_.ucAniGIF1.setHeight(height);
    };
}

GifControl::~GifControl() = default;

void GifControl::restoreDesignedSize() {
    const Rect design = layout::placeOf("ucAniGIF1");
    f_.ucAniGIF1.setWidth(design.width);
    f_.ucAniGIF1.setHeight(design.height);
    control_->resized(design.width, design.height);
}

std::string GifControl::loadFailureText(const std::string& path,
                                        const anigif::LoadFailure& failure) {
    std::string reason = "애니메이션 GIF 파일이 아니거나 보여 줄 수 없는 파일입니다.";
    if (failure.outOfMemory)
        reason = "메모리가 부족합니다.";
    else if (failure.read == ReadFailure::TooLarge)
        reason = "파일이 너무 큽니다 (" + std::to_string(anigif::kGifFileLimit >> 20) +
                 " MiB까지 열 수 있습니다).";
    else if (failure.read)
        reason = "파일을 읽을 수 없습니다. 없는 파일이거나 일반 파일이 아닙니다.";
    return path + "\n\n" + reason;
}

void GifControl::cmd_AniGif_Click() {
    chooseGif();
    f_.setFocus(f_.Picture1);
}

bool GifControl::chooseGif() {
    FileDialogRequest request;
    // The dialog sets no title of its own; it shows the system's word for opening.
    request.title = "열기";
    request.filter = "Animation Gif|*.gif";
    request.fileName = "";
    request.initDir = f_.programPath("\\AnimationGif");
    const auto path = f_.services.dialogs.openFile(request);
    if (!path || path->empty()) return false;
    restoreDesignedSize();
    // Checked, the new GIF starts at once; unchecked, it waits for the check box.
    control_->setDelayAnimation(f_.chk_AniGif.value() == 1 ? 1 : 2);
    const std::string chosen = *path;
    // The path and the box change only once the GIF shows: a file that cannot be shown leaves
    // the previous animation.
    control_->loadAnimatedGIF_File(
        chosen, [this, chosen](const std::optional<anigif::LoadFailure>& failure) {
            if (failure) {
                f_.services.dialogs.messageBox(loadFailureText(chosen, *failure), "열기 실패",
                                               MsgButtons::Ok, MsgIcon::Exclamation);
                // The box does not stay checked without a GIF.
                if (f_.cmd_AniGif.tag().empty() && f_.chk_AniGif.value() == 1)
                    f_.chk_AniGif.setValue(0);
                return;
            }
            f_.cmd_AniGif.setTag(chosen);
            if (f_.chk_AniGif.value() == 1) {
                control_->refresh();
                if (!f_.ucAniGIF1.visible()) f_.ucAniGIF1.setVisible(true);
            }
        });
    return true;
}

void GifControl::chk_AniGif_Click() {
    if (f_.chk_AniGif.value() == 1) {
        f_.chk_CircleTouch.setValue(0);
        if (!f_.cmd_AniGif.tag().empty()) {
            f_.ucAniGIF1.setVisible(true);
            // Nothing loaded is what AnimatedGIF reads as Nothing.
            if (control_->frameCount() == 0) {
                restoreDesignedSize();
                control_->setDelayAnimation(1);
                // A GIF that cannot be shown (from config.ini at start, or gone since) is
                // skipped: the box unchecks itself, with no message.
                control_->loadAnimatedGIF_File(
                    f_.cmd_AniGif.tag(), [this](const std::optional<anigif::LoadFailure>& failure) {
                        if (failure && f_.chk_AniGif.value() == 1) f_.chk_AniGif.setValue(0);
                    });
            } else {
                control_->setAction(1);
            }
        } else if (!chooseGif()) {
            // Cancelled: the box does not stay checked without a GIF (this runs the handler
            // again, unchecked).
            f_.chk_AniGif.setValue(0);
        }
    } else {
        control_->setAction(0);
        f_.ucAniGIF1.setVisible(false);
    }
    f_.setFocus(f_.Picture1);
}

}  // namespace muto
