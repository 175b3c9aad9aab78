// The media player control of this program hosted by TDerivedMovie_, as the video source
// component uses it: created, activated in its parent, given the properties the component
// writes at its creation, reached through IMediaPlayer, and closed with its host.
#include "axhost/DerivedMovie.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"

#include <gtest/gtest.h>

TEST(PlayerHost, TheProgramsPlayerIsHostedAndClosedWithItsHost)
{
    AMovieUnitStart();
    ASSERT_EQ(InstallMediaPlayerControl(), S_OK);
    ASSERT_TRUE(IsPlayerInstalled());

    auto* form = new TForm(nullptr);
    form->SetBounds(0, 0, 320, 240);
    auto* player = new TDerivedMovie_(form);
    player->SetParent(form);
    player->SetBounds(0, 0, 320, 240);
    // The writes the video source component makes right after creating its player.
    for (DISPID id : {-500, 1027, 1112, 1103})
        EXPECT_NO_THROW(player->SetWordBoolProp(id, false)) << id;

    player->HandleNeeded();
    const HWND window = player->HandleOrNull();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), form->Handle());
    ASSERT_NE(player->InPlaceObject(), nullptr);
    HWND controlWindow = nullptr;
    EXPECT_EQ(player->InPlaceObject()->GetWindow(&controlWindow), S_OK);
    EXPECT_EQ(controlWindow, window);

    ComPtr<IMediaPlayer> media = player->GetPlayerInterface();
    ASSERT_TRUE(media);
    EXPECT_EQ(player->GetPlayerInterface().Get(), media.Get()) << "the interface is kept";
    LONG code = -1;
    EXPECT_EQ(media->get_ErrorCode(&code), S_OK);
    EXPECT_EQ(media->Stop(), S_OK);
    media.Reset();
    EXPECT_NO_THROW((void)player->GetIntegerProp(1061));
    EXPECT_NO_THROW((void)player->GetIntegerProp(-525));

    player->Free();
    EXPECT_FALSE(IsWindow(window));
    form->Free();
}
