#pragma once
// The two pictures of the main screen's top row: the maker's logo, which opens the about box, and the picture
// of the selected mixer model.
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace NsStrata
{
/** The maker's logo ("kestrel/Kestrel Logo.png"); a press opens the about box, logo variant. */
class MakerLogo : public juce::ImageComponent
{
public:
    MakerLogo();
    void mouseDown(const juce::MouseEvent& e) override;

    static const char* const picturePath;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MakerLogo)
};

/** The picture of one mixer model, with the model's name as its tooltip. */
class ModelPicture : public juce::ImageComponent
{
public:
    ModelPicture();

    /** Shows the picture of model index 0..3 (Ardent, Brio, Brio Max, Brio Solo); any other index shows the
        Ardent. */
    void showModel(int modelIndex);
    int shownModel() const { return shown; }

    /** The picture of a model index, as loaded at construction; null when its file is missing. */
    const juce::Image& picture(int modelIndex) const;

    /** Below the resources folder, in model-index order. */
    static const std::array<const char*, 4> picturePaths;
    /** The model whose picture sets the layout's picture size for every model: the widest, the Brio Max. */
    static constexpr int layoutModel = 2;

private:
    std::array<juce::Image, 4> pictures;
    int shown = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ModelPicture)
};
} // namespace NsStrata
