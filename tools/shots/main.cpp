// quellon-shots: pictures of the program's two windows for the README. It makes the windows
// as the program does, opens VIDEO through the open dialog (answered by the scripted dialog
// service), moves the bar, drags the crop zone, tunes brightness and contrast; then chooses
// MOVIE in the player window the same way and plays it to a frame along the way, on a
// playback clock held still there so that the picture is the same at every run. Each window
// is saved as it is on screen.
//
//   quellon-shots VIDEO MOVIE.kql MAIN.png PLAYER.png
#include "app/ProgramClasses.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ControlsWidget.h"
#include "framework/Picture.h"
#include "platform/user/ScriptedDialogService.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <iostream>

namespace {

void Pump(int ms) { Application->HandleMessagesUntil([] { return false; }, ms); }

bool Save(TForm* form, const char* path)
{
    Pump(300);
    return form->Widget()->grab().save(QString::fromUtf8(path));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: quellon-shots VIDEO MOVIE.kql MAIN.png PLAYER.png\n";
        return 2;
    }
    Application->Initialize(argc, argv);
    Application->SetTitle("Quellon");
    if (const std::string failure = InstallProgramComponents(); !failure.empty()) {
        std::cerr << "quellon-shots: " << failure << "\n";
        return 1;
    }
    ScriptedDialogService dialogs;
    ScopedDialogService scoped(dialogs);
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Form1->Show();
    dialogs.QueueFileName(argv[1]);
    static_cast<QAbstractButton*>(Form1->Button1->Widget())->click();
    if (!Application->HandleMessagesUntil([] { return Form1->Image2->Picture()->Bitmap()->Width() > 0; }, 30000) ||
        !dialogs.MessageBoxes().empty()) {
        std::cerr << "quellon-shots: cannot open " << argv[1] << "\n";
        return 1;
    }
    Form1->ScrollBar1->SetPosition(Form1->ScrollBar1->Max() * 2 / 5);
    Pump(500);
    TShape* zone = Form1->zone;
    zone->OnMouseDown(zone, mbLeft, {ssLeft}, 5, 5);
    zone->OnMouseMove(zone, {ssLeft}, 5 - 50, 5 - 40);
    zone->OnMouseUp(zone, mbLeft, {}, 5 - 50, 5 - 40);
    zone->OnMouseDown(zone, mbLeft, {ssLeft}, zone->Width() - 2, zone->Height() - 2);
    zone->OnMouseMove(zone, {ssLeft}, zone->Width() - 2 + 60, zone->Height() - 2 + 40);
    zone->OnMouseUp(zone, mbLeft, {}, zone->Width() - 2 + 60, zone->Height() - 2 + 40);
    Form1->ScrollBar2->SetPosition(19);
    Form1->ScrollBar3->SetPosition(11);
    Form1->CheckBox1->SetChecked(true);
    Form1->SpinEdit2->SetValue(4);
    const bool mainSaved = Save(Form1, argv[3]);

    std::int64_t nowNs = 0;
    Form2->SetPlaybackClock([&nowNs] { return nowNs; });
    dialogs.QueueFileName(argv[2]);
    Form2->Show();
    static_cast<QAbstractButton*>(Form2->Button1->Widget())->click();
    if (!Form2->Player().IsOpen() || !dialogs.MessageBoxes().empty()) {
        std::cerr << "quellon-shots: the player window cannot show " << argv[2] << "\n";
        return 1;
    }
    // Played from 0 and held half a frame past the time frame 12 is due.
    constexpr std::uint64_t shownFrame = 12;
    static_cast<QAbstractButton*>(Form2->Button2->Widget())->click();
    nowNs = static_cast<std::int64_t>(shownFrame) * TMoviePlayer::FramePeriodNs + TMoviePlayer::FramePeriodNs / 2;
    if (!Application->HandleMessagesUntil([] { return Form2->Player().FrameIndex() == shownFrame; }, 5000)) {
        std::cerr << "quellon-shots: " << argv[2] << " does not play to frame " << shownFrame << "\n";
        return 1;
    }
    const bool playerSaved = Save(Form2, argv[4]);
    static_cast<QAbstractButton*>(Form2->Button3->Widget())->click();
    Form2->Hide();
    Form1->Close();
    Application->Run();
    if (!mainSaved || !playerSaved) {
        std::cerr << "quellon-shots: cannot save the pictures\n";
        return 1;
    }
    return 0;
}
