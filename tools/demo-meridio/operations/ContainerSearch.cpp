// DMWS SearchContainers: the containers whose properties meet the search terms of a DMDataSet, as
// SEARCHRESULTS_CONTAINERS rows of a DMDataSet result: per hit one row for each result definition, in
// the order of the definitions. The demo understands string terms on the title and the owner name
// (relation 0 equals, 1 does not equal, 2 contains; letter case of A-Z ignored), joined by AND.

#include "tools/demo-meridio/operations/OperationTable.h"
#include "tools/demo-meridio/soap/DataSetResult.h"
#include "tools/demo-meridio/soap/Parameters.h"
#include "tools/demo-meridio/soap/SoapReply.h"
#include "tools/demo-meridio/soap/XmlText.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>

namespace DemoMeridio {
namespace {

using Row = std::map<std::string, std::string, std::less<>>;

std::string TitleOf(const Repository&, const Container& container) {
    return container.title;
}

std::string OwnerOf(const Repository&, const Container& container) {
    return container.owner;
}

bool IsRecordsManagement(ContainerKind kind) {
    return kind == ContainerKind::Folder || kind == ContainerKind::Class;
}

// Document-management containers have no folder type; every other kind gives its number.
std::string FolderTypeOf(const Repository&, const Container& container) {
    return container.kind == ContainerKind::Container ? "" : std::to_string(static_cast<int>(container.kind));
}

// "/" and the title of each records-management ancestor, outermost first; empty for a container that
// is not records-management or whose parent is not.
std::string ParentTitlePathOf(const Repository& repository, const Container& container) {
    std::string path;
    if (!IsRecordsManagement(container.kind)) {
        return path;
    }
    for (const Container* parent = repository.FindContainer(container.parentId);
         parent != nullptr && IsRecordsManagement(parent->kind) && parent->id != container.id;
         parent = repository.FindContainer(parent->parentId)) {
        path.insert(0, "/" + parent->title);
    }
    return path;
}

struct SearchableProperty {
    const char* name;
    std::string (*valueOf)(const Repository&, const Container&);
    bool searchable; // may be a search term, not only a result
};

constexpr SearchableProperty kProperties[] = {
    {"PROP_W_title", TitleOf, true},
    {"PROP_ownerName", OwnerOf, true},
    {"PROP_folderType", FolderTypeOf, false},
    {"PROP_rmFolderParentTitlePath", ParentTitlePathOf, false},
};

const SearchableProperty& PropertyNamed(const std::string& name, bool asTerm) {
    for (const SearchableProperty& property : kProperties) {
        if (name == property.name && (property.searchable || !asTerm)) {
            return property;
        }
    }
    throw ClientFault("SearchContainers cannot " + std::string(asTerm ? "search by" : "return") +
                      " the property \"" + name + "\"");
}

std::string Column(const Row& row, const char* table, const char* name) {
    const auto found = row.find(name);
    if (found == row.end()) {
        throw ClientFault(std::string("a ") + table + " row of SearchContainers has no " + name);
    }
    return found->second;
}

void RequireOneOf(const std::string& value, const char* what, std::initializer_list<const char*> allowed) {
    for (const char* text : allowed) {
        if (value == text) {
            return;
        }
    }
    throw ClientFault(std::string(what) + " of SearchContainers has the unknown value \"" + value + "\"");
}

std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

struct Term {
    const SearchableProperty* property;
    std::string relation;
    std::string value; // lower-cased
};

bool Meets(const Term& term, const Repository& repository, const Container& container) {
    const std::string value = AsciiLower(term.property->valueOf(repository, container));
    if (term.relation == "0") {
        return value == term.value;
    }
    if (term.relation == "1") {
        return value != term.value;
    }
    return value.find(term.value) != std::string::npos;
}

struct ResultDefinition {
    const SearchableProperty* property;
    std::string sortAscending; // empty: the definition does not sort
};

struct Search {
    std::vector<Term> terms;
    std::vector<ResultDefinition> results;
};

// The DMDataSet inside searchInfo's diffgram.
pugi::xml_node SearchDataSet(const pugi::xml_node& operation) {
    const pugi::xml_node diffgram = FirstChildElement(RequiredChild(operation, "searchInfo"));
    if (!diffgram || LocalName(diffgram) != "diffgram" || NamespaceOf(diffgram) != kDiffgramNs) {
        throw ClientFault("searchInfo of SearchContainers must hold a diffgr:diffgram");
    }
    const pugi::xml_node dataSet = FirstChildElement(diffgram);
    if (!dataSet || LocalName(dataSet) != "DMDataSet" || NamespaceOf(dataSet) != kDmDataSetNs) {
        throw ClientFault("the diffgram of SearchContainers must hold a DMDataSet in the namespace " +
                          std::string(kDmDataSetNs));
    }
    return dataSet;
}

Search ReadSearch(const pugi::xml_node& operation) {
    Search search;
    for (pugi::xml_node element = FirstChildElement(SearchDataSet(operation)); element;
         element = element.next_sibling()) {
        if (element.type() != pugi::node_element) {
            continue;
        }
        Row row;
        for (pugi::xml_node column = FirstChildElement(element); column; column = column.next_sibling()) {
            row.emplace(LocalName(column), column.text().get());
        }
        const std::string_view table = LocalName(element);
        if (table == "PROPERTY_OPS") {
            RequireOneOf(Column(row, "PROPERTY_OPS", "operator"),
                         "PROPERTY_OPS operator (the demo joins by AND)", {"0"});
        } else if (table == "PROPERTY_TERMS") {
            const std::string relation = Column(row, "PROPERTY_TERMS", "str_relation");
            RequireOneOf(relation, "PROPERTY_TERMS str_relation", {"0", "1", "2"});
            search.terms.push_back({&PropertyNamed(Column(row, "PROPERTY_TERMS", "propertyName"), true),
                                    relation, AsciiLower(Column(row, "PROPERTY_TERMS", "str_value"))});
        } else if (table == "RESULTDEFS") {
            const auto sort = row.find("sortAscending");
            const std::string sortAscending = sort == row.end() ? std::string() : sort->second;
            if (!sortAscending.empty()) {
                RequireOneOf(sortAscending, "RESULTDEFS sortAscending", {"true", "false"});
            }
            search.results.push_back(
                {&PropertyNamed(Column(row, "RESULTDEFS", "propertyName"), false), sortAscending});
        }
    }
    if (search.results.empty()) {
        throw ClientFault("SearchContainers needs at least one RESULTDEFS row");
    }
    return search;
}

void CollectHits(const Repository& repository, long parentId, const std::vector<Term>& terms,
                 std::vector<const Container*>& hits) {
    for (const Container* container : repository.ChildContainers(parentId)) {
        if (std::all_of(terms.begin(), terms.end(),
                        [&](const Term& term) { return Meets(term, repository, *container); })) {
            hits.push_back(container);
        }
        CollectHits(repository, container->id, terms, hits);
    }
}

// By the first sorting result definition, ties (and every hit without one) by container id.
void SortHits(const Repository& repository, const std::vector<ResultDefinition>& results,
              std::vector<const Container*>& hits) {
    std::sort(hits.begin(), hits.end(),
              [](const Container* left, const Container* right) { return left->id < right->id; });
    const auto sorting = std::find_if(results.begin(), results.end(), [](const ResultDefinition& result) {
        return !result.sortAscending.empty();
    });
    if (sorting == results.end()) {
        return;
    }
    const bool ascending = sorting->sortAscending == "true";
    std::stable_sort(hits.begin(), hits.end(), [&](const Container* left, const Container* right) {
        const std::string leftValue = sorting->property->valueOf(repository, *left);
        const std::string rightValue = sorting->property->valueOf(repository, *right);
        return ascending ? leftValue < rightValue : rightValue < leftValue;
    });
}

HttpReply SearchContainers(OperationContext& context) {
    const pugi::xml_node operation = context.request.operation;
    const Search search = ReadSearch(operation);
    const auto maxHits = static_cast<std::size_t>(RequiredNumber(operation, "maxHitsToReturn"));
    const auto start = static_cast<std::size_t>(RequiredNumber(operation, "startPositionOfHits"));
    RequireOneOf(RequiredText(operation, "permissionFilter"), "permissionFilter",
                 {"PROHIBIT", "READ", "AMEND", "MANAGE"});
    RequireOneOf(RequiredText(operation, "searchChildren"), "searchChildren", {"true", "false"});
    RequireOneOf(RequiredText(operation, "searchKeywordHierarchy"), "searchKeywordHierarchy",
                 {"true", "false"});
    RequireOneOf(RequiredText(operation, "keywordOperator"), "keywordOperator", {"AND", "OR", "NOT"});

    const Repository& repository = context.repository;
    std::vector<const Container*> hits;
    CollectHits(repository, 0, search.terms, hits);
    SortHits(repository, search.results, hits);

    const std::size_t first = std::min(start, hits.size());
    const std::size_t count = std::min(maxHits, hits.size() - first);
    DataSetResult rows(DataSetKind::DM);
    for (std::size_t i = first; i < first + count; ++i) {
        for (const ResultDefinition& result : search.results) {
            rows.AddRow("SEARCHRESULTS_CONTAINERS",
                        {{"containerId", std::to_string(hits[i]->id)},
                         {"str_value", result.property->valueOf(repository, *hits[i])}});
        }
    }
    return OperationResponse(*context.request.service, context.request.action)
        .ResultDataSet(rows)
        .Child("totalHitsCount", std::to_string(hits.size()))
        .Child("returnedHitsCount", std::to_string(count))
        .ToHttpReply();
}

} // namespace

void RegisterContainerSearchOperations(OperationTable& table) {
    table.Add({Service::DMWS, "SearchContainers", SearchContainers, true, {}});
}

} // namespace DemoMeridio
