// The nesting depth counted before parsing: comments, declarations, CDATA,
// empty elements and quoted attribute values do not count; counting stops
// past the limit.
#include <gtest/gtest.h>

#include <string>

#include "support/fatal_message.h"
#include "util/music/xmldocument.h"

namespace {

std::string repeat(const std::string& part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

TEST(XmlNestingDepth, CountsOpenElementsAsTheParserReadsThem)
{
    const struct {
        std::string text;
        int depth;
    } cases[] = {
        {"", 0},
        {"<a/>", 0},
        {"<a></a><b></b>", 1},
        {"<?xml version=\"1.0\"?><a><b><c/></b></a>", 2},
        {"<a><!-- <b><c><d> --></a>", 1},
        {"<a><![CDATA[<b><c>]]></a>", 1},
        {"<!DOCTYPE a><a x=\"<b>\" y='/>'><c></c></a>", 2},
        {repeat("<a>", 300), 257},  // stops past the limit
        {repeat("<a></a>", 100000), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xml_nesting_depth(c.text, 256), c.depth) << c.text.substr(0, 60);
}

TEST(XmlNestingDepth, DeepDocumentsAreRefusedBeforeParsing)
{
    testsupport::ThrowingFatalErrors fatal;
    TiXmlDocument ok;
    std::string text = repeat("<a>", 256) + repeat("</a>", 256);
    EXPECT_TRUE(load_xml_document(ok, text.data(), text.size(), "ok.xml"));
    for (const std::string& deep : {repeat("<a>", 257) + repeat("</a>", 257), repeat("<a>", 100000)}) {
        std::string copy = deep;
        TiXmlDocument document;
        EXPECT_EQ(testsupport::fatal_message([&] { load_xml_document(document, copy.data(), copy.size(), "deep.xml"); }),
                  "XML document deep.xml nests its elements deeper than 256 levels");
    }
}

}  // namespace
