// The CLAP 1.x interface as far as this project uses it, declared from the published headers'
// layout (the interface is a plain C ABI: structs of values and function pointers, default C
// alignment). Only what the plug-in and the test host use is here; the static_asserts pin the
// layouts a host relies on.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

extern "C"
{

    using clap_id = std::uint32_t;
    inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
    inline constexpr std::size_t CLAP_NAME_SIZE = 256;
    inline constexpr std::size_t CLAP_PATH_SIZE = 1024;

    struct clap_version_t
    {
        std::uint32_t major;
        std::uint32_t minor;
        std::uint32_t revision;
    };
    inline constexpr clap_version_t CLAP_VERSION = {1, 2, 0};

    struct clap_plugin_entry_t
    {
        clap_version_t clap_version;
        bool(CLAP_ABI* init)(const char* plugin_path);
        void(CLAP_ABI* deinit)();
        const void*(CLAP_ABI* get_factory)(const char* factory_id);
    };

    struct clap_host_t
    {
        clap_version_t clap_version;
        void* host_data;
        const char* name;
        const char* vendor;
        const char* url;
        const char* version;
        const void*(CLAP_ABI* get_extension)(const clap_host_t* host, const char* extension_id);
        void(CLAP_ABI* request_restart)(const clap_host_t* host);
        void(CLAP_ABI* request_process)(const clap_host_t* host);
        void(CLAP_ABI* request_callback)(const clap_host_t* host);
    };

    // Events: every event starts with the header; size covers the whole event.
    struct clap_event_header_t
    {
        std::uint32_t size;
        std::uint32_t time; // frame in the block
        std::uint16_t space_id;
        std::uint16_t type;
        std::uint32_t flags;
    };
    inline constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
    inline constexpr std::uint32_t CLAP_EVENT_DONT_RECORD = 1 << 1; // header flags

    enum : std::uint16_t
    {
        CLAP_EVENT_PARAM_VALUE = 5,
        CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
        CLAP_EVENT_PARAM_GESTURE_END = 8,
        CLAP_EVENT_TRANSPORT = 9,
        CLAP_EVENT_MIDI = 10,
    };

    struct clap_event_param_value_t
    {
        clap_event_header_t header;
        clap_id param_id;
        void* cookie;
        std::int32_t note_id;
        std::int16_t port_index;
        std::int16_t channel;
        std::int16_t key;
        double value;
    };

    struct clap_event_param_gesture_t
    {
        clap_event_header_t header;
        clap_id param_id;
    };

    // Beat and second times are fixed point: 1 << 31 per beat or second.
    using clap_beattime = std::int64_t;
    using clap_sectime = std::int64_t;
    inline constexpr double CLAP_BEATTIME_FACTOR = static_cast<double>(1LL << 31);

    enum : std::uint32_t
    {
        CLAP_TRANSPORT_HAS_TEMPO = 1 << 0,
        CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 1 << 1,
        CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 1 << 3,
        CLAP_TRANSPORT_IS_PLAYING = 1 << 4,
    };

    struct clap_event_transport_t
    {
        clap_event_header_t header;
        std::uint32_t flags;
        clap_beattime song_pos_beats;
        clap_sectime song_pos_seconds;
        double tempo;
        double tempo_inc;
        clap_beattime loop_start_beats;
        clap_beattime loop_end_beats;
        clap_sectime loop_start_seconds;
        clap_sectime loop_end_seconds;
        clap_beattime bar_start;
        std::int32_t bar_number;
        std::uint16_t tsig_num;
        std::uint16_t tsig_denom;
    };

    struct clap_event_midi_t
    {
        clap_event_header_t header;
        std::uint16_t port_index;
        std::uint8_t data[3];
    };

    struct clap_input_events_t
    {
        void* ctx;
        std::uint32_t(CLAP_ABI* size)(const clap_input_events_t* list);
        const clap_event_header_t*(CLAP_ABI* get)(const clap_input_events_t* list,
                                                  std::uint32_t index);
    };

    struct clap_output_events_t
    {
        void* ctx;
        bool(CLAP_ABI* try_push)(const clap_output_events_t* list,
                                 const clap_event_header_t* event);
    };

    struct clap_audio_buffer_t
    {
        float** data32;
        double** data64;
        std::uint32_t channel_count;
        std::uint32_t latency;
        std::uint64_t constant_mask;
    };

    enum : std::int32_t
    {
        CLAP_PROCESS_ERROR = 0,
        CLAP_PROCESS_CONTINUE = 1,
    };
    using clap_process_status = std::int32_t;

    struct clap_process_t
    {
        std::int64_t steady_time;
        std::uint32_t frames_count;
        const clap_event_transport_t* transport;
        const clap_audio_buffer_t* audio_inputs;
        clap_audio_buffer_t* audio_outputs;
        std::uint32_t audio_inputs_count;
        std::uint32_t audio_outputs_count;
        const clap_input_events_t* in_events;
        const clap_output_events_t* out_events;
    };

    struct clap_plugin_descriptor_t
    {
        clap_version_t clap_version;
        const char* id;
        const char* name;
        const char* vendor;
        const char* url;
        const char* manual_url;
        const char* support_url;
        const char* version;
        const char* description;
        const char* const* features; // null-terminated
    };

    struct clap_plugin_t
    {
        const clap_plugin_descriptor_t* desc;
        void* plugin_data;
        bool(CLAP_ABI* init)(const clap_plugin_t* plugin);
        void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* activate)(const clap_plugin_t* plugin, double sample_rate,
                                 std::uint32_t min_frames_count, std::uint32_t max_frames_count);
        void(CLAP_ABI* deactivate)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* start_processing)(const clap_plugin_t* plugin);
        void(CLAP_ABI* stop_processing)(const clap_plugin_t* plugin);
        void(CLAP_ABI* reset)(const clap_plugin_t* plugin);
        clap_process_status(CLAP_ABI* process)(const clap_plugin_t* plugin,
                                               const clap_process_t* process);
        const void*(CLAP_ABI* get_extension)(const clap_plugin_t* plugin, const char* id);
        void(CLAP_ABI* on_main_thread)(const clap_plugin_t* plugin);
    };

    inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

    struct clap_plugin_factory_t
    {
        std::uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory_t* factory);
        const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(
            const clap_plugin_factory_t* factory, std::uint32_t index);
        const clap_plugin_t*(CLAP_ABI* create_plugin)(const clap_plugin_factory_t* factory,
                                                      const clap_host_t* host,
                                                      const char* plugin_id);
    };

    // audio-ports
    inline constexpr char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
    inline constexpr char CLAP_PORT_STEREO[] = "stereo";
    inline constexpr std::uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1 << 0;

    struct clap_audio_port_info_t
    {
        clap_id id;
        char name[CLAP_NAME_SIZE];
        std::uint32_t flags;
        std::uint32_t channel_count;
        const char* port_type;
        clap_id in_place_pair;
    };

    struct clap_plugin_audio_ports_t
    {
        std::uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
        bool(CLAP_ABI* get)(const clap_plugin_t* plugin, std::uint32_t index, bool is_input,
                            clap_audio_port_info_t* info);
    };

    // note-ports
    inline constexpr char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";
    inline constexpr std::uint32_t CLAP_NOTE_DIALECT_MIDI = 1 << 1;

    struct clap_note_port_info_t
    {
        clap_id id;
        std::uint32_t supported_dialects;
        std::uint32_t preferred_dialect;
        char name[CLAP_NAME_SIZE];
    };

    struct clap_plugin_note_ports_t
    {
        std::uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
        bool(CLAP_ABI* get)(const clap_plugin_t* plugin, std::uint32_t index, bool is_input,
                            clap_note_port_info_t* info);
    };

    // params
    inline constexpr char CLAP_EXT_PARAMS[] = "clap.params";

    enum : std::uint32_t
    {
        CLAP_PARAM_IS_STEPPED = 1 << 0,
        CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
        CLAP_PARAM_IS_ENUM = 1 << 16,
    };
    enum : std::uint32_t
    {
        CLAP_PARAM_RESCAN_VALUES = 1 << 0,
    };

    struct clap_param_info_t
    {
        clap_id id;
        std::uint32_t flags;
        void* cookie;
        char name[CLAP_NAME_SIZE];
        char module[CLAP_PATH_SIZE];
        double min_value;
        double max_value;
        double default_value;
    };

    struct clap_plugin_params_t
    {
        std::uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* get_info)(const clap_plugin_t* plugin, std::uint32_t param_index,
                                 clap_param_info_t* param_info);
        bool(CLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
        bool(CLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value,
                                      char* out_buffer, std::uint32_t out_buffer_capacity);
        bool(CLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id,
                                      const char* param_value_text, double* out_value);
        void(CLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in,
                              const clap_output_events_t* out);
    };

    struct clap_host_params_t
    {
        void(CLAP_ABI* rescan)(const clap_host_t* host, std::uint32_t flags);
        void(CLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, std::uint32_t flags);
        void(CLAP_ABI* request_flush)(const clap_host_t* host);
    };

    // log
    inline constexpr char CLAP_EXT_LOG[] = "clap.log";
    inline constexpr std::int32_t CLAP_LOG_ERROR = 3;

    struct clap_host_log_t
    {
        void(CLAP_ABI* log)(const clap_host_t* host, std::int32_t severity, const char* message);
    };

    // state
    inline constexpr char CLAP_EXT_STATE[] = "clap.state";

    struct clap_istream_t
    {
        void* ctx;
        // Bytes read (0 at the end, -1 on error).
        std::int64_t(CLAP_ABI* read)(const clap_istream_t* stream, void* buffer,
                                     std::uint64_t size);
    };

    struct clap_ostream_t
    {
        void* ctx;
        // Bytes written (-1 on error); may be fewer than asked.
        std::int64_t(CLAP_ABI* write)(const clap_ostream_t* stream, const void* buffer,
                                      std::uint64_t size);
    };

    struct clap_plugin_state_t
    {
        bool(CLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
        bool(CLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
    };

    // gui
    inline constexpr char CLAP_EXT_GUI[] = "clap.gui";
    inline constexpr char CLAP_WINDOW_API_X11[] = "x11";
    inline constexpr char CLAP_WINDOW_API_WIN32[] = "win32";

    struct clap_window_t
    {
        const char* api;
        union
        {
            unsigned long x11;
            void* win32;
            void* ptr;
        };
    };

    struct clap_gui_resize_hints_t
    {
        bool can_resize_horizontally;
        bool can_resize_vertically;
        bool preserve_aspect_ratio;
        std::uint32_t aspect_ratio_width;
        std::uint32_t aspect_ratio_height;
    };

    struct clap_plugin_gui_t
    {
        bool(CLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api,
                                         bool is_floating);
        bool(CLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api,
                                          bool* is_floating);
        bool(CLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
        void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale);
        bool(CLAP_ABI* get_size)(const clap_plugin_t* plugin, std::uint32_t* width,
                                 std::uint32_t* height);
        bool(CLAP_ABI* can_resize)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin,
                                         clap_gui_resize_hints_t* hints);
        bool(CLAP_ABI* adjust_size)(const clap_plugin_t* plugin, std::uint32_t* width,
                                    std::uint32_t* height);
        bool(CLAP_ABI* set_size)(const clap_plugin_t* plugin, std::uint32_t width,
                                 std::uint32_t height);
        bool(CLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
        bool(CLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
        void(CLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
        bool(CLAP_ABI* show)(const clap_plugin_t* plugin);
        bool(CLAP_ABI* hide)(const clap_plugin_t* plugin);
    };

    // timer-support
    inline constexpr char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";

    struct clap_plugin_timer_support_t
    {
        void(CLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
    };

    struct clap_host_timer_support_t
    {
        bool(CLAP_ABI* register_timer)(const clap_host_t* host, std::uint32_t period_ms,
                                       clap_id* timer_id);
        bool(CLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
    };

    // posix-fd-support
    inline constexpr char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";
    inline constexpr std::uint32_t CLAP_POSIX_FD_READ = 1 << 0;

    struct clap_plugin_posix_fd_support_t
    {
        void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, std::uint32_t flags);
    };

    struct clap_host_posix_fd_support_t
    {
        bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
        bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
        bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
    };

} // extern "C"

// The layouts hosts are built against, checked where pointers are 64-bit.
static_assert(sizeof(clap_version_t) == 12);
static_assert(sizeof(clap_event_header_t) == 16);
static_assert(offsetof(clap_event_param_value_t, param_id) == 16);
static_assert(offsetof(clap_event_transport_t, flags) == 16);
static_assert(offsetof(clap_event_transport_t, song_pos_beats) == 24);
static_assert(offsetof(clap_event_transport_t, tempo) == 40);
static_assert(offsetof(clap_event_transport_t, bar_number) == 96);
static_assert(sizeof(clap_event_transport_t) == 104);
static_assert(offsetof(clap_event_midi_t, data) == 18);
static_assert(offsetof(clap_audio_port_info_t, flags) == 260);
static_assert(offsetof(clap_note_port_info_t, name) == 12);
static_assert(offsetof(clap_plugin_t, process) == 9 * sizeof(void*));
static_assert(offsetof(clap_plugin_factory_t, create_plugin) == 2 * sizeof(void*));
static_assert(offsetof(clap_plugin_gui_t, hide) == 14 * sizeof(void*));
static_assert(offsetof(clap_window_t, x11) == sizeof(void*));
static_assert(sizeof(clap_gui_resize_hints_t) == 12);
#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(offsetof(clap_event_param_value_t, cookie) == 24);
static_assert(offsetof(clap_event_param_value_t, value) == 48);
static_assert(sizeof(clap_event_param_value_t) == 56);
static_assert(sizeof(clap_audio_buffer_t) == 32);
static_assert(offsetof(clap_param_info_t, name) == 16);
static_assert(offsetof(clap_param_info_t, min_value) == 1296);
static_assert(sizeof(clap_param_info_t) == 1320);
static_assert(offsetof(clap_host_t, host_data) == 16);
static_assert(sizeof(clap_process_t) == 64);
static_assert(offsetof(clap_plugin_descriptor_t, id) == 16);
#endif
