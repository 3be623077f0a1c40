// A call from the bottom layer into the windows layer, for the layer check
// to refuse: declared here by hand, as no runtime header may name it.
class CHandleTable;
CHandleTable* GetWindowTable(int create);

CHandleTable* PlantedUpwardCall() {
    return GetWindowTable(0);
}
