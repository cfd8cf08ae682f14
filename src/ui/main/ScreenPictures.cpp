#include "ScreenPictures.h"

#include "device/PortNames.h"
#include "model/Models.h"
#include "ui/AssetImage.h"
#include "ui/look/AboutBox.h"

namespace NsStrata
{
const char* const MakerLogo::picturePath = "kestrel/Kestrel Logo.png";

MakerLogo::MakerLogo() : juce::ImageComponent("Kestrel logo")
{
    setImage(loadAssetImage(picturePath, false),
             juce::RectanglePlacement::xLeft | juce::RectanglePlacement::yMid);
    setMouseCursor(juce::MouseCursor::PointingHandCursor);
}

void MakerLogo::mouseDown(const juce::MouseEvent&)
{
    showAboutBox(AboutVariant::logo, nullptr);
}

const std::array<const char*, 4> ModelPicture::picturePaths = {"Strata/ardent.png", "Strata/brio.png",
                                                               "Strata/brio-max.png", "Strata/brio-solo.png"};

ModelPicture::ModelPicture() : juce::ImageComponent("model picture")
{
    for (std::size_t i = 0; i < pictures.size(); ++i)
        pictures[i] = loadAssetImage(picturePaths[i], false);
    // Every picture is drawn at its own design size, centred in the area the widest one takes.
    setImagePlacement(juce::RectanglePlacement::centred);
}

const juce::Image& ModelPicture::picture(int modelIndex) const
{
    return pictures[(std::size_t) juce::jlimit(0, (int) pictures.size() - 1, modelIndex)];
}

void ModelPicture::showModel(int modelIndex)
{
    if (modelIndex < 0 || modelIndex >= (int) pictures.size())
        modelIndex = 0;
    if (modelIndex == shown)
        return;
    shown = modelIndex;
    setImage(pictures[(std::size_t) modelIndex]);
    setTooltip(modelNameForId(supportedModels[(std::size_t) modelIndex]));
}
} // namespace NsStrata
