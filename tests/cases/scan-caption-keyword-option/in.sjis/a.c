/**
 * 機能: default keyword, not used here
 * @brief  Reads the input.
 */
int readInput(void) { }
int main(void) /** @brief Starts here. */
// the line form: @brief Runs everything.
{
    readInput();
}
