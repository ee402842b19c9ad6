// The bundle as lilv reads it: what a host shows and which features it must offer.
#include "lv2/Lv2TestHost.h"
#include "support/ElfExports.h"

#include <gtest/gtest.h>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>

namespace
{
using namespace TestSupport;

struct Node
{
    LilvNode* node;
    explicit Node(const char* uri) : node(lilv_new_uri(Lv2World(), uri)) {}
    ~Node() { lilv_node_free(node); }
    operator const LilvNode*() const { return node; }
};

const LilvPort* Port(const char* symbol)
{
    LilvNode* name = lilv_new_string(Lv2World(), symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(Lv2Plugin(), name);
    lilv_node_free(name);
    return port;
}

struct Range
{
    float minimum, maximum, fallback;
};

Range RangeOf(const char* symbol)
{
    LilvNode* values[3] = {};
    lilv_port_get_range(Lv2Plugin(), Port(symbol), &values[2], &values[0], &values[1]);
    Range range{lilv_node_as_float(values[0]), lilv_node_as_float(values[1]),
                lilv_node_as_float(values[2])};
    for (LilvNode* value : values)
        lilv_node_free(value);
    return range;
}

std::map<float, std::string> ScalePoints(const char* symbol)
{
    std::map<float, std::string> points;
    LilvScalePoints* all = lilv_port_get_scale_points(Lv2Plugin(), Port(symbol));
    LILV_FOREACH(scale_points, i, all)
    {
        const LilvScalePoint* point = lilv_scale_points_get(all, i);
        points[lilv_node_as_float(lilv_scale_point_get_value(point))] =
            lilv_node_as_string(lilv_scale_point_get_label(point));
    }
    lilv_scale_points_free(all);
    return points;
}

TEST(Lv2Bundle, PortsInTheParameterTablesOrderWithTheirUnits)
{
    const LilvPlugin* plugin = Lv2Plugin();
    ASSERT_NE(plugin, nullptr);
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), 18u);
    const char* symbols[] = {"lfo_frequency",  "lfo_midi_source", "lfo_sync", "lfo_sync_resolution",
                             "lfo_quad_mode",  "enabled",         "feedback", "depth",
                             "left_frequency", "right_frequency", "stages",   "mix",
                             "sweep_source"};
    const Node control(LV2_CORE__ControlPort);
    const Node input(LV2_CORE__InputPort);
    const Node comment("http://www.w3.org/2000/01/rdf-schema#comment");
    for (std::uint32_t i = 0; i < 13; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port)), symbols[i]);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, control) && lilv_port_is_a(plugin, port, input));
        LilvNodes* help = lilv_port_get_value(plugin, port, comment);
        EXPECT_EQ(lilv_nodes_size(help), 1u) << symbols[i];
        lilv_nodes_free(help);
    }
    // Stereo pairs as the main groups, left and right designated (GStreamer's bridge needs them).
    const Node audio(LV2_CORE__AudioPort);
    const Node output(LV2_CORE__OutputPort);
    const Node group("http://lv2plug.in/ns/ext/port-groups#group");
    const char* sides[] = {"left", "right", "left", "right"};
    for (std::uint32_t i = 13; i < 17; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_TRUE(lilv_port_is_a(plugin, port, audio));
        LilvNode* in = lilv_port_get(plugin, port, group);
        EXPECT_STREQ(in != nullptr ? lilv_node_as_uri(in) : "",
                     i < 15 ? "urn:corvane:phaser#in" : "urn:corvane:phaser#out");
        lilv_node_free(in);
        const Node side(
            (std::string("http://lv2plug.in/ns/ext/port-groups#") + sides[i - 13]).c_str());
        EXPECT_EQ(lilv_plugin_get_port_by_designation(plugin, i < 15 ? input : output, side), port);
    }

    const Range lfo = RangeOf("lfo_frequency");
    EXPECT_EQ(lfo.minimum, 0.0f);
    EXPECT_EQ(lfo.maximum, 20.0f);
    EXPECT_EQ(lfo.fallback, 0.8f);
    const Range left = RangeOf("left_frequency");
    EXPECT_EQ(left.maximum, 10000.0f);
    EXPECT_EQ(left.fallback, 2500.0f);
    EXPECT_EQ(RangeOf("feedback").maximum, 0.95f);
    EXPECT_EQ(RangeOf("depth").fallback, 0.0625f);
    EXPECT_EQ(RangeOf("mix").fallback, 0.5f);

    const std::map<float, std::string> stages = ScalePoints("stages");
    EXPECT_EQ(stages,
              (std::map<float, std::string>{
                  {4, "4"}, {6, "6"}, {8, "8"}, {10, "10"}, {12, "12"}, {14, "14"}, {16, "16"}}));
    EXPECT_EQ(ScalePoints("lfo_sync_resolution").at(4.0f), "1/4");
    EXPECT_EQ(ScalePoints("sweep_source").at(2.0f), "MW");

    const Node toggled(LV2_CORE__toggled);
    EXPECT_TRUE(lilv_port_has_property(plugin, Port("enabled"), toggled));
    const Node enabled(LV2_CORE__enabled);
    EXPECT_EQ(lilv_plugin_get_port_by_designation(plugin, input, enabled), Port("enabled"));
}

TEST(Lv2Bundle, EventsPortAndFeatures)
{
    const LilvPlugin* plugin = Lv2Plugin();
    ASSERT_NE(plugin, nullptr);
    const LilvPort* events = lilv_plugin_get_port_by_index(plugin, 17);
    const Node midi(LV2_MIDI__MidiEvent);
    const Node position(LV2_TIME__Position);
    EXPECT_TRUE(lilv_port_supports_event(plugin, events, midi));
    EXPECT_TRUE(lilv_port_supports_event(plugin, events, position));

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    const Node map(LV2_URID__map);
    LilvNodes* optional = lilv_plugin_get_optional_features(plugin);
    EXPECT_TRUE(lilv_nodes_contains(optional, map));
    lilv_nodes_free(optional);
    const Node stateInterface("http://lv2plug.in/ns/ext/state#interface");
    EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, stateInterface));

    // A release: hosts hide a minor version of 0 or an odd one as a development build.
    const Node minorVersion(LV2_CORE__minorVersion);
    LilvNodes* minor = lilv_plugin_get_value(plugin, minorVersion);
    ASSERT_EQ(lilv_nodes_size(minor), 1u);
    const int version = lilv_node_as_int(lilv_nodes_get_first(minor));
    EXPECT_TRUE(version >= 2 && version % 2 == 0) << version;
    lilv_nodes_free(minor);
}

TEST(Lv2Bundle, TheDspBinaryExportsOnlyItsDescriptor)
{
    EXPECT_EQ(ExportedSymbols(CORVANE_LV2_BINARY), (std::vector<std::string>{"lv2_descriptor"}));
}

} // namespace
