// The picture of the editor in the README comes from here: the real editor,
// as the plug-in opens it, drawn into a PNG in the build tree
// (build/release/tests/editor/editor.png); docs/editor.png is a copy.
#include "LookAndFeel/Palette.h"
#include "VantrelProcessor.h"

#include <gtest/gtest.h>

#include <memory>

TEST (EditorPicture, TheOpenedEditorIsDrawnIntoAPng)
{
    auto processor = VantrelProcessor::create();
    processor->setRateAndBufferSizeDetails (48000.0, 512);
    processor->prepareToPlay (48000.0, 512);
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor->createEditor());
    ASSERT_NE (editor, nullptr);

    const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
    const juce::File target (VANTREL_EDITOR_PICTURE);
    target.deleteFile();
    {
        juce::FileOutputStream stream (target);
        ASSERT_TRUE (stream.openedOk()) << target.getFullPathName();
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, stream));
    }

    // What was written is the whole window, and more than its background.
    const auto back = juce::ImageFileFormat::loadFrom (target);
    ASSERT_TRUE (back.isValid());
    EXPECT_EQ (back.getWidth(), editor->getWidth());
    EXPECT_EQ (back.getHeight(), editor->getHeight());
    int drawn = 0;
    for (int y = 0; y < back.getHeight(); y += 2)
        for (int x = 0; x < back.getWidth(); x += 2)
            if (back.getPixelAt (x, y).getARGB() != Karvon::background.getARGB())
                ++drawn;
    EXPECT_GT (drawn, back.getWidth() * back.getHeight() / 4 / 10);
}
