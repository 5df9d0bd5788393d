int main(void)
{
    twice();
    once();
}
int twice(void) { leaf(); }
int once(void) { twice(); }
