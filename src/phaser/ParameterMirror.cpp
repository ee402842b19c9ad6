#include "phaser/ParameterMirror.h"

#include "parameters/Parameter.h"
#include "parameters/ParameterGroupBase.h"
#include "phaser/ParameterPolicies.h"
#include "phaser/Product.h"

#include <cassert>
#include <utility>

namespace Kestrune::Product
{

namespace
{

// Nobody: the mirror's parameters have no owner to call.
struct Unowned
{
};

// A row's transform and display, named after the row rather than the classes the plug-in's
// parameters call, whose names the mirror has no use for.
template <ParameterIndex I> struct RowTransform
{
    using Policy = typename Policies<I>::TransformPolicy;
    using Value = typename Policy::Value;
    static Value Convert(float normalised) { return Policy::Convert(normalised); }
};

template <ParameterIndex I> struct RowDisplay
{
    template <typename Value> static void Format(Value setting, char* text, std::size_t size)
    {
        Policies<I>::DisplayPolicy::Format(setting, text, size);
    }
};

template <ParameterIndex I>
using RowParameter =
    Parameters::Parameter<Unowned, 32, RowTransform<I>, RowDisplay<I>, typename Policies<I>::Label>;

// The rows of group G, in table order.
template <Group G> class MirrorGroup final : public Parameters::ParameterGroupBase<Unowned, 32>
{
public:
    MirrorGroup()
        : ParameterGroupBase(kGroups[static_cast<int>(G)].shortName,
                             kGroups[static_cast<int>(G)].name)
    {
        AddRows(std::make_integer_sequence<int, kParameterCount>());
    }

private:
    template <int... I> void AddRows(std::integer_sequence<int, I...>)
    {
        (AddRow<static_cast<ParameterIndex>(I)>(), ...);
    }

    template <ParameterIndex I> void AddRow()
    {
        if constexpr (kParameters[I].group == G)
            AddParameter<RowParameter<I>>(kParameters[I].shortName, kParameters[I].name,
                                          kParameters[I].defaultValue, nullptr);
    }
};

} // namespace

struct ParameterMirror::Groups
{
    MirrorGroup<Group::kLfo> lfo;
    MirrorGroup<Group::kPhaser> phaser;
    MirrorGroup<Group::kSources> sources;
};

ParameterMirror::ParameterMirror(const char* pluginName, const char* vendorName,
                                 const char* productName, int vendorVersion,
                                 IServiceProvider* provider)
    : Model(pluginName, vendorName, productName, vendorVersion, 32, provider->GetMessageProvider()),
      groups(std::make_unique<Groups>())
{
    AddGroup(&groups->lfo);
    AddGroup(&groups->phaser);
    AddGroup(&groups->sources);
    assert(GetParameterCount() == kParameterCount);
}

// Here, where the groups' type is complete.
ParameterMirror::~ParameterMirror() = default;

std::unique_ptr<Model> CreateParameters(IServiceProvider* provider)
{
    return std::make_unique<ParameterMirror>(kEffectName, kVendor, kProductName, kVendorVersion,
                                             provider);
}

} // namespace Kestrune::Product
